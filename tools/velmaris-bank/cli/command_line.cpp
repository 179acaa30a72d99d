#include "velmaris-bank/cli/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdint>
#include <optional>

#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/cli/commands.h"
#include "velmaris-bank/cli/console.h"
#include "velmaris-bank/formats/bank_import.h"

namespace bank::cli {
namespace {

using console::kUsage;
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
      status is 0 only when all pass. Warnings, which leave it alone, name give-aways (absolute words only
      in the wrong variants; the right variant alone hedged or alone repeating a word of the question) and
      words that drift from the glossary.
  velmaris-bank export FILE -o DIR [--force]
      Writes the questions of the database FILE back into sources in DIR, so that corrections made in the
      database return to the sources; build then export gives the same files. A picture that is not what its
      description draws is written to DIR/pictures/NNN.bmp. A DIR that already holds sources is refused
      unless --force, which replaces them.
  velmaris-bank export FILE|SOURCES --format moodle-xml|gift|aiken -o OUT [--force]
      Writes the questions of a database or a source folder for Moodle. moodle-xml: one single-answer
      multiple-choice question per bank question, named by its number and Rule, in a category per Part of
      the Rules, variants in a) b) c) order, pictures embedded as PNG. gift and aiken carry text only:
      questions answered from their picture are left out and counted on standard error. gift marks with
      [plain] the texts Moodle would otherwise read as HTML or as a weight; aiken, which has no escapes,
      leaves out (and counts) a question that starts like an answer or an ANSWER line. An existing OUT is
      refused unless --force.
  velmaris-bank results FILE --csv
      Writes the tests recorded in the user's bank FILE to standard output as CSV, as the program's
      results window exports them: UTF-8 with BOM, ';' between fields, one row per test with the student's
      name and group, date, grade, correct, wrong, percentage and the share correct per COLREG Part. The
      file is only read.
  velmaris-bank import FILE -o DIR [--first N] [--skip-invalid] [--format moodle-xml|gift|aiken]
      Turns the questions of a Moodle XML, GIFT or Aiken file (told apart by name and content unless
      --format) into a new source file in DIR, reading them as Moodle does: HTML with every entity decoded,
      GIFT's [html] [moodle] [plain] [markdown] tags, Moodle XML's old <image> fields, Aiken's A)Unu.
      Questions named as export names them (131 - Regula 23(a)) keep their numbers when all are free;
      the others are numbered after the highest number in DIR, or from N. Only multiple-choice questions
      with exactly three answers, one fully correct, can be held; the others, and texts a source cannot
      hold (a byte order mark, control characters), are reported with their name and line, and nothing is
      written unless --skip-invalid, which writes the valid ones. Pictures (PNG, JPEG, GIF, BMP, at most
      4096 x 4096) become 24-bit BMP files in DIR/pictures at their resolution, made smaller to fit the
      picture view (170 x 474) when they are larger. A malformed file writes nothing.
  velmaris-bank print FILE|SOURCES -o OUT.pdf [--force] [--sheet --seed S] [--mono]
      Prints the bank as an A4 PDF: a title page, every question with its number, Rule, variants and
      picture, never split across pages, and the answer key at the end. With --sheet, a test sheet of 30
      questions drawn as the program draws them, from seed S: an answer grid for the cadet and the key on
      the last page. With --mono, for copies in black and white, beneath each picture its lights (by
      colour) and shapes in words, from the top down, since grey loses red against green.
  velmaris-bank help | --help
      Shows this text.

Exit status: 0 success, 1 failure (faults or errors), 2 wrong command line.
)";

// The options, each spelt the same by every command that takes it.
const QCommandLineOption kOutput({"o", "output"}, "output", "path");
const QCommandLineOption kForce("force", "replace");
const QCommandLineOption kFormat("format", "format", "name");
const QCommandLineOption kFirst("first", "first number", "N");
const QCommandLineOption kSkipInvalid("skip-invalid", "write the valid questions");
const QCommandLineOption kSheet("sheet", "a test sheet");
const QCommandLineOption kSeed("seed", "seed", "S");
const QCommandLineOption kMono("mono", "lights and shapes in words");
const QCommandLineOption kCsv("csv", "as CSV");

// The arguments after a command's name as QCommandLineParser reads them: options before or after the path, a single
// dash taken for two ("-force"), a value after "=" or as the next argument, "--" ending the options.
class Arguments {
public:
    explicit Arguments(const QList<QCommandLineOption>& options)
    {
        parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser_.addOptions(options);
    }

    // Every command takes exactly one path; false after printing what is wrong.
    bool parse(const QString& command, const QStringList& arguments)
    {
        if (!parser_.parse(QStringList{"velmaris-bank"} + arguments)) {
            usage(parser_.errorText());
            return false;
        }
        if (parser_.positionalArguments().size() != 1) {
            usage(QString("'%1' takes 1 path, not %2").arg(command).arg(parser_.positionalArguments().size()));
            return false;
        }
        return true;
    }

    QString path() const { return parser_.positionalArguments().constFirst(); }
    bool isSet(const QCommandLineOption& option) const { return parser_.isSet(option); }
    QString value(const QCommandLineOption& option) const { return parser_.value(option); }

private:
    QCommandLineParser parser_;
};

int missingOutput()
{
    return usage("-o is missing");
}

int unknownFormat(const QString& name)
{
    return usage(QString("unknown format '%1': moodle-xml, gift or aiken").arg(name));
}

int build(const Arguments& args)
{
    if (!args.isSet(kOutput))
        return missingOutput();
    return commands::build({args.path(), args.value(kOutput), args.isSet(kForce)});
}

int check(const Arguments& args)
{
    return commands::check(args.path());
}

// Into sources, or with --format into a file for Moodle.
int exportBank(const Arguments& args)
{
    if (!args.isSet(kFormat)) {
        if (!args.isSet(kOutput))
            return missingOutput();
        return commands::exportToSources({args.path(), args.value(kOutput), args.isSet(kForce)});
    }
    const auto format = formatFromName(args.value(kFormat));
    if (!format)
        return unknownFormat(args.value(kFormat));
    if (!args.isSet(kOutput))
        return missingOutput();
    return commands::exportToFormat({args.path(), *format, args.value(kOutput), args.isSet(kForce)});
}

int results(const Arguments& args)
{
    if (!args.isSet(kCsv))
        return usage("results needs --csv, its only format");
    return commands::resultsCsv(args.path());
}

int importFile(const Arguments& args)
{
    if (!args.isSet(kOutput))
        return missingOutput();
    commands::Import request;
    request.file = args.path();
    request.folder = args.value(kOutput);
    if (args.isSet(kFormat)) {
        request.format = formatFromName(args.value(kFormat));
        if (!request.format)
            return unknownFormat(args.value(kFormat));
    }
    if (args.isSet(kFirst)) {
        bool ok = false;
        const int n = args.value(kFirst).toInt(&ok);
        if (!ok || n < 0 || n > 999999)
            return usage(QString("--first takes a number from 0 to 999999, not '%1'").arg(args.value(kFirst)));
        request.first = n;
    }
    request.skipInvalid = args.isSet(kSkipInvalid);
    return commands::importFile(request);
}

int print(const Arguments& args)
{
    if (!args.isSet(kOutput))
        return missingOutput();
    if (args.isSet(kSheet) != args.isSet(kSeed))
        return usage("--sheet and --seed go together");
    commands::Print request;
    request.bank = args.path();
    request.output = args.value(kOutput);
    request.force = args.isSet(kForce);
    request.mono = args.isSet(kMono);
    if (args.isSet(kSeed)) {
        bool ok = false;
        const std::uint32_t seed = args.value(kSeed).toUInt(&ok);
        if (!ok)
            return usage(QString("--seed takes a whole number from 0 to 4294967295, not '%1'").arg(args.value(kSeed)));
        request.sheetSeed = seed;
    }
    return commands::print(request);
}

struct Command {
    const char* name;
    QList<QCommandLineOption> options;
    int (*run)(const Arguments& args);
    bool gui = false;  // draws text or reads HTML (see needsGui)
};

const QList<Command>& commandList()
{
    static const QList<Command> list = {
        {"build", {kOutput, kForce}, build},
        {"check", {}, check},
        {"export", {kOutput, kFormat, kForce}, exportBank},
        {"results", {kCsv}, results},
        {"import", {kOutput, kFormat, kFirst, kSkipInvalid}, importFile, true},
        {"print", {kOutput, kForce, kSheet, kSeed, kMono}, print, true},
    };
    return list;
}

const Command* find(const QString& name)
{
    for (const Command& c : commandList())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

}  // namespace

bool needsGui(const QString& command)
{
    const Command* c = find(command);
    return c && c->gui;
}

int run(QStringList arguments)
{
    if (arguments.isEmpty())
        return usage("no command given");
    const QString name = arguments.takeFirst();
    // The help wins wherever it stands, even after an unknown command.
    if (name == "help" || name == "--help" || name == "-h" || arguments.contains("--help") ||
        arguments.contains("-h")) {
        console::out() << kHelp;
        return 0;
    }
    const Command* command = find(name);
    if (!command)
        return usage(QString("unknown command '%1'").arg(name));
    try {
        Arguments args(command->options);
        if (!args.parse(name, arguments))
            return kUsage;
        return command->run(args);
    } catch (const BankError& e) {
        console::err() << "velmaris-bank: " << e.message() << "\n";
        return console::kFailed;
    }
}

}  // namespace bank::cli
