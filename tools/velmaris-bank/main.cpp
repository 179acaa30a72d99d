// velmaris-bank: builds Velmaris.mdb from the bank sources, checks a bank, exports a database back
// into sources, takes the bank to and from Moodle XML, GIFT and Aiken, and prints it.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <optional>

#include "bank_check.h"
#include "bank_commands.h"
#include "bank_database.h"
#include "bank_error.h"
#include "console.h"
#include "exchange_commands.h"

namespace {

using console::err;
using console::kFailed;
using console::kUsage;
using console::out;
using console::usage;

const char* const kHelp = R"(velmaris-bank: builds, checks, exports, imports and prints the Velmaris question bank.

Usage:
  velmaris-bank build SOURCES -o FILE [--force]
      Makes the database FILE from the *.txt files of the folder SOURCES, in file-name order, drawing each
      picture from its description. The number in SOURCES/VERSION (1 without it) becomes the file's version
      stamp (PRAGMA user_version): an installed program replaces a user's copy of an older bank. An existing
      FILE is refused unless --force. When a record is malformed nothing is written: each fault is shown
      with its file and line.
  velmaris-bank check SOURCES|FILE
      Checks a source folder or a database against every rule of the bank (numbers 0..273, answer letters
      and their balance, empty texts, cedilla letters, lengths, pictures, repeated questions). The exit
      status is 0 only when all pass.
  velmaris-bank export FILE -o DIR [--force]
      Writes the questions of the database FILE back into sources in DIR, so that corrections made in the
      database return to the sources; build then export gives the same files. A picture that is not what its
      description draws is written to DIR/pictures/NNN.bmp. A DIR that already holds sources is refused
      unless --force, which replaces them.
  velmaris-bank export FILE|SOURCES --format moodle-xml|gift|aiken -o OUT [--force]
      Writes the questions of a database or a source folder for Moodle. moodle-xml: one single-answer
      multiple-choice question per bank question, named by its number and Rule, in a category per Part of
      the Rules, variants in a) b) c) order, pictures embedded as PNG. gift and aiken carry text only:
      questions answered from their picture are left out and counted on standard error. An existing OUT
      is refused unless --force.
  velmaris-bank import FILE -o DIR [--first N] [--skip-invalid] [--format moodle-xml|gift|aiken]
      Turns the questions of a Moodle XML, GIFT or Aiken file (told apart by name and content unless
      --format) into a new source file in DIR, numbered after the highest number in DIR or from N. Only
      multiple-choice questions with exactly three answers, one fully correct, can be held; the others are
      reported with their name and line, and nothing is written unless --skip-invalid, which writes the
      valid ones. Pictures become 24-bit BMP files in DIR/pictures, made smaller to fit the picture view
      (170 x 474) when they are larger. A malformed file writes nothing.
  velmaris-bank print FILE|SOURCES -o OUT.pdf [--force] [--sheet --seed S]
      Prints the bank as an A4 PDF: a title page, every question with its number, Rule, variants and
      picture, never split across pages, and the answer key at the end. With --sheet, a test sheet of 30
      questions drawn as the program draws them, from seed S: an answer grid for the cadet and the key on
      the last page.
  velmaris-bank help | --help
      Shows this text.

Exit status: 0 success, 1 failure (faults or errors), 2 wrong command line.
)";

const auto showProgress = console::progressLine("drawing pictures");

struct Arguments {
    QStringList positional;
    QString output;
    bool force = false;
};

// Parses the options of one command; nullopt after printing what is wrong.
std::optional<Arguments> parseCommand(const QString& command, const QStringList& args, bool takesOutput, int positional)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption output({"o", "output"}, "output", "path");
    const QCommandLineOption force("force", "replace");
    if (takesOutput) {
        parser.addOption(output);
        parser.addOption(force);
    }
    if (!parser.parse(QStringList{"velmaris-bank"} + args)) {
        usage(parser.errorText());
        return std::nullopt;
    }
    Arguments a;
    a.positional = parser.positionalArguments();
    if (a.positional.size() != positional) {
        usage(QString("'%1' takes %2 path%3, not %4")
                  .arg(command)
                  .arg(positional)
                  .arg(positional > 1 ? "s" : "")
                  .arg(a.positional.size()));
        return std::nullopt;
    }
    if (takesOutput) {
        if (!parser.isSet(output)) {
            usage("-o is missing");
            return std::nullopt;
        }
        a.output = parser.value(output);
        a.force = parser.isSet(force);
    }
    return a;
}

void printFaults(const QList<bank::SourceFault>& faults)
{
    for (const bank::SourceFault& f : faults)
        err() << f.toString() << "\n";
}

int build(const QStringList& args)
{
    const auto a = parseCommand("build", args, true, 1);
    if (!a)
        return kUsage;
    QElapsedTimer clock;
    clock.start();
    const bank::Assembled sources = bank::assembleSources(a->positional[0], showProgress);
    if (!sources.faults.isEmpty()) {
        printFaults(sources.faults);
        err() << "velmaris-bank: " << sources.faults.size() << " fault(s) in the sources; " << a->output
              << " was not written\n";
        return kFailed;
    }
    bank::replaceDatabase(a->output, sources.questions, a->force, sources.version);
    out() << "wrote " << a->output << ": " << sources.questions.size() << " questions, " << sources.pictures
          << " pictures, from " << sources.files << " files, version " << sources.version << ", in "
          << QString::number(clock.elapsed() / 1000.0, 'f', 2) << " s\n";
    return 0;
}

int check(const QStringList& args)
{
    const auto a = parseCommand("check", args, false, 1);
    if (!a)
        return kUsage;
    const QString path = a->positional[0];
    QList<bank::Question> questions;
    qsizetype sourceFaults = 0;
    if (QFileInfo(path).isDir()) {
        const bank::Assembled sources = bank::assembleSources(path, showProgress);
        for (const bank::SourceFault& f : sources.faults)
            out() << f.toString() << "\n";
        sourceFaults = sources.faults.size();
        questions = sources.questions;
    } else {
        questions = bank::readDatabase(path);
    }
    const QList<bank::Fault> faults = bank::checkQuestions(questions);
    for (const bank::Fault& f : faults)
        out() << f.toString() << "\n";
    for (const QString& line : bank::reviewLines(bank::reviewQuestions(questions)))
        out() << line << "\n";
    const qsizetype pictures =
        std::count_if(questions.begin(), questions.end(), [](const bank::Question& q) { return !q.picture.isEmpty(); });
    if (faults.isEmpty() && sourceFaults == 0) {
        out() << path << ": " << questions.size() << " questions, " << pictures << " pictures: all checks passed\n";
        return 0;
    }
    out() << path << ": " << questions.size() << " questions, " << pictures
          << " pictures: " << faults.size() + sourceFaults << " fault(s)\n";
    return kFailed;
}

int exportBank(const QStringList& args)
{
    if (args.contains("--format") ||
        std::any_of(args.begin(), args.end(), [](const QString& a) { return a.startsWith("--format="); }))
        return exchange::exportFormat(args);
    const auto a = parseCommand("export", args, true, 1);
    if (!a)
        return kUsage;
    const bank::ExportResult result = bank::exportDatabase(a->positional[0], a->output, a->force);
    for (const QString& w : result.warnings)
        err() << "warning: " << w << "\n";
    for (const QString& r : result.removed)
        out() << "removed " << r << "\n";
    out() << "wrote " << result.written.size() << " files to " << a->output << "\n";
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Printing sets text, which needs the GUI's fonts; it never opens a window.
    const bool gui = argc > 1 && exchange::needsGui(QString::fromLocal8Bit(argv[1]));
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = app->arguments().mid(1);
    if (args.isEmpty())
        return usage("no command given");
    const QString command = args.takeFirst();
    try {
        if (command == "help" || command == "--help" || command == "-h") {
            out() << kHelp;
            return 0;
        }
        if (args.contains("--help") || args.contains("-h")) {
            out() << kHelp;
            return 0;
        }
        if (command == "build")
            return build(args);
        if (command == "check")
            return check(args);
        if (command == "export")
            return exportBank(args);
        if (command == "import")
            return exchange::importFile(args);
        if (command == "print")
            return exchange::print(args);
        return usage(QString("unknown command '%1'").arg(command));
    } catch (const bank::BankError& e) {
        err() << "velmaris-bank: " << e.message() << "\n";
        return kFailed;
    }
}
