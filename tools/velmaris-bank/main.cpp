// velmaris-bank: builds Velmaris.mdb from the bank sources, checks a bank, and exports a database back
// into sources.

#include "bank_check.h"
#include "bank_commands.h"
#include "bank_database.h"
#include "bank_error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

const char* const kHelp = R"(velmaris-bank: builds, checks and exports the Velmaris question bank.

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
  velmaris-bank help | --help
      Shows this text.

Exit status: 0 success, 1 failure (faults or errors), 2 wrong command line.
)";

int usage(const QString& message)
{
    err() << "velmaris-bank: " << message << "\n"
          << "Run 'velmaris-bank --help' for the commands.\n";
    return kUsage;
}

// A live counter when a person watches; a silent wait when a log does.
void showProgress(int done, int total)
{
    if (!isatty(fileno(stderr)))
        return;
    err() << "\rdrawing pictures " << done << "/" << total << (done == total ? "\n" : "") << Qt::flush;
}

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
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
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
        return usage(QString("unknown command '%1'").arg(command));
    } catch (const bank::BankError& e) {
        err() << "velmaris-bank: " << e.message() << "\n";
        return kFailed;
    }
}
