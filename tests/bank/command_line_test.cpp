// The tool's command line as a user or a script meets it: every command and the forms its options take,
// each wrong usage with its exit status and its exact message, the help, and the order in which a
// command refuses what is wrong before it writes anything.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "bank_test_support.h"
#include "velmaris-bank/source/bank_database.h"

namespace {

using banktest::readAll;
using banktest::ToolRun;
using banktest::writeAll;

const QString kFixtures = QStringLiteral(BANK_FIXTURES);
const QString kUsageTail = QStringLiteral("Run 'velmaris-bank --help' for the commands.\n");

// Two text questions in one file: enough for every command, quick to draw and print.
const QByteArray kSources =
    "NR: 0  RULE: 1\nQ: Cui se aplică regulile?\na) Tuturor navelor\nb) Numai navelor mari\nc) Numai bărcilor\n"
    "OK: A\n\nNR: 1  RULE: 2(a)\nQ: Cine răspunde?\na) Nimeni\nb) Comandantul\nc) Pilotul\nOK: B\n";

// Whether text is exactly expected, where "…" in expected stands for any run of characters within a line
// (a time, a size, the system's wording of a file error).
bool matches(const QString& text, const QString& expected)
{
    QStringList parts = expected.split(QStringLiteral("…"));
    for (QString& part : parts)
        part = QRegularExpression::escape(part);
    const QRegularExpression whole(QStringLiteral("\\A") + parts.join(QStringLiteral("[^\\n]*")) +
                                   QStringLiteral("\\z"));
    return whole.match(text).hasMatch();
}

struct Case {
    QStringList args;
    int status;
    QString out;  // the whole standard output, "…" as in matches()
    QString err;  // the whole standard error
};

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        // Printing starts Qt's GUI, which warns on standard error when it has no runtime folder.
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        writeAll(path("src/000-001.txt"), kSources);
        writeAll(path("broken/000-001.txt"), kSources + "\nNR: 2  RULE: 3\nQ: Ce?\na) Una\nc) Trei\nOK: A\n");
        QDir().mkpath(path("empty"));
        writeAll(path("taken.txt"), "an instructor's own file");
        bank::writeDatabase(path("complete.mdb"), banktest::validBank());
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    // Runs the cases in order: a later case may use what an earlier one wrote.
    void runAll(const QList<Case>& cases) const
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(("velmaris-bank " + c.args.join(' ')).toStdString());
            const ToolRun run = banktest::tool(c.args, environment_);
            EXPECT_EQ(run.status, c.status);
            EXPECT_TRUE(matches(run.out, c.out)) << "standard output:\n" << run.out.toStdString();
            EXPECT_TRUE(matches(run.err, c.err)) << "standard error:\n" << run.err.toStdString();
        }
    }

    static Case wrongUsage(const QStringList& args, const QString& message)
    {
        return {args, 2, QString(), "velmaris-bank: " + message + "\n" + kUsageTail};
    }

    // A failure of the work itself: status 1 and the message, nothing on standard output.
    static Case failure(const QStringList& args, const QString& message)
    {
        return {args, 1, QString(), "velmaris-bank: " + message + "\n"};
    }

private:
    QTemporaryDir dir_;
    QTemporaryDir runtime_;
    QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
};

TEST_F(CommandLine, WrongUsageExitsWithTwoAndNamesTheMistake)
{
    runAll({
        wrongUsage({}, "no command given"),
        wrongUsage({"bild", "x"}, "unknown command 'bild'"),
        wrongUsage({"--version"}, "unknown command '--version'"),
        wrongUsage({"-o", "x", "build"}, "unknown command '-o'"),
        wrongUsage({"-help"}, "unknown command '-help'"),

        wrongUsage({"build"}, "'build' takes 1 path, not 0"),
        wrongUsage({"build", "a", "b", "-o", "c"}, "'build' takes 1 path, not 2"),
        wrongUsage({"build", "--", "-x", "-o", "y"}, "'build' takes 1 path, not 3"),
        wrongUsage({"build", "x"}, "-o is missing"),
        wrongUsage({"build", "-"}, "-o is missing"),
        wrongUsage({"build", "x", "-o"}, "Missing value after '-o'."),
        wrongUsage({"build", "x", "--output"}, "Missing value after '--output'."),
        wrongUsage({"build", "x", "-o", "y", "-z"}, "Unknown option 'z'."),
        wrongUsage({"build", "-of", "x"}, "Unknown option 'of'."),
        wrongUsage({"build", "x", "-o", "y", "--force=1"}, "Unexpected value after '--force'."),
        wrongUsage({"build", "x", "-o", "y", "-help"}, "Unknown option 'help'."),

        wrongUsage({"check"}, "'check' takes 1 path, not 0"),
        wrongUsage({"check", "a", "b"}, "'check' takes 1 path, not 2"),
        wrongUsage({"check", "x", "-"}, "'check' takes 1 path, not 2"),
        wrongUsage({"check", "x", "-o", "y"}, "Unknown option 'o'."),
        wrongUsage({"check", "x", "--force"}, "Unknown option 'force'."),

        wrongUsage({"export"}, "'export' takes 1 path, not 0"),
        wrongUsage({"export", "x"}, "-o is missing"),
        wrongUsage({"export", "x", "-o"}, "Missing value after '-o'."),
        wrongUsage({"export", "x", "-o", "y", "--first", "3"}, "Unknown option 'first'."),
        wrongUsage({"export", "x", "--format"}, "Missing value after '--format'."),
        wrongUsage({"export", "x", "--format", "gift"}, "-o is missing"),
        wrongUsage({"export", "x", "--format=gift"}, "-o is missing"),
        wrongUsage({"export", "x", "--format", "pdf"}, "unknown format 'pdf': moodle-xml, gift or aiken"),
        wrongUsage({"export", "x", "--format", "pdf", "-o", "y"}, "unknown format 'pdf': moodle-xml, gift or aiken"),
        wrongUsage({"export", "x", "--format=", "-o", "y"}, "unknown format '': moodle-xml, gift or aiken"),
        wrongUsage({"export", "--format", "gift", "-o", "y"}, "'export' takes 1 path, not 0"),
        wrongUsage({"export", "a", "b", "--format", "gift", "-o", "y"}, "'export' takes 1 path, not 2"),
        wrongUsage({"export", "x", "--format", "gift", "-o", "y", "--sheet"}, "Unknown option 'sheet'."),

        wrongUsage({"import"}, "'import' takes 1 path, not 0"),
        wrongUsage({"import", "x"}, "-o is missing"),
        wrongUsage({"import", "x", "--format", "pdf"}, "-o is missing"),
        wrongUsage({"import", "x", "-o", "y", "--format", "pdf"}, "unknown format 'pdf': moodle-xml, gift or aiken"),
        wrongUsage({"import", "x", "-o", "y", "--format", ""}, "unknown format '': moodle-xml, gift or aiken"),
        wrongUsage({"import", "x", "-o", "y", "--first", "abc"}, "--first takes a number from 0 to 999999, not 'abc'"),
        wrongUsage({"import", "x", "-o", "y", "--first", "-1"}, "--first takes a number from 0 to 999999, not '-1'"),
        wrongUsage({"import", "x", "-o", "y", "--first", "1000000"},
                   "--first takes a number from 0 to 999999, not '1000000'"),
        wrongUsage({"import", "x", "--output=y", "--first=abc"}, "--first takes a number from 0 to 999999, not 'abc'"),
        wrongUsage({"import", "x", "-o", "y", "--first", "5", "--first", "x"},
                   "--first takes a number from 0 to 999999, not 'x'"),
        wrongUsage({"import", "x", "-o", "y", "--format", "pdf", "--first", "x"},
                   "unknown format 'pdf': moodle-xml, gift or aiken"),
        wrongUsage({"import", "x", "-o", "y", "--skip-invalid=3"}, "Unexpected value after '--skip-invalid'."),
        wrongUsage({"import", "x", "-o", "y", "--force"}, "Unknown option 'force'."),

        wrongUsage({"print"}, "'print' takes 1 path, not 0"),
        wrongUsage({"print", "x"}, "-o is missing"),
        wrongUsage({"print", "x", "--sheet"}, "-o is missing"),
        wrongUsage({"print", "x", "-o", "y", "--sheet"}, "--sheet and --seed go together"),
        wrongUsage({"print", "x", "-o", "y", "--seed", "3"}, "--sheet and --seed go together"),
        wrongUsage({"print", "x", "-o", "y", "--sheet", "--seed", "-1"},
                   "--seed takes a whole number from 0 to 4294967295, not '-1'"),
        wrongUsage({"print", "x", "-o", "y", "--sheet", "--seed", "4294967296"},
                   "--seed takes a whole number from 0 to 4294967295, not '4294967296'"),
        wrongUsage({"print", "x", "-o", "y", "--sheet", "--seed="},
                   "--seed takes a whole number from 0 to 4294967295, not ''"),
        wrongUsage({"print", "x", "-o", "y", "--first", "1"}, "Unknown option 'first'."),
    });
}

// The help wins over everything else on the line, even an unknown command.
TEST_F(CommandLine, TheHelpInEveryForm)
{
    const QString help = banktest::lines(readAll(kFixtures + "/help.txt"));
    ASSERT_TRUE(help.startsWith("velmaris-bank: builds, checks, exports, imports and prints"));
    QList<Case> cases;
    for (const QStringList& args : QList<QStringList>{{"--help"},
                                                      {"-h"},
                                                      {"help"},
                                                      {"help", "x"},
                                                      {"help", "--bogus"},
                                                      {"build", "--help"},
                                                      {"build", "x", "-o", "-h"},
                                                      {"build", "--", "--help"},
                                                      {"check", "-h"},
                                                      {"export", "x", "--format", "pdf", "--help"},
                                                      {"import", "--help"},
                                                      {"print", "--help"},
                                                      {"bild", "--help"}})
        cases.append({args, 0, help, QString()});
    runAll(cases);
}

// What goes wrong in the work itself exits with 1; each command refuses before it writes anything.
TEST_F(CommandLine, FailuresExitWithOne)
{
    const QString src = path("src");
    const QString broken = path("broken");
    const QString taken = path("taken.txt");
    const QString brokenFault = "000-001.txt:18: missing 'b)' before 'c)'\n";
    const auto notWritten = [&](const QString& target) {
        return brokenFault + "velmaris-bank: 1 fault(s) in the sources; " + target + " was not written\n";
    };
    writeAll(path("one.gift"), "::Unu::Ce e? {=Da ~Nu ~Poate}\n");
    writeAll(path("nothing.gift"), "// no question\n");
    runAll({
        failure({"build", taken, "-o", path("a.mdb")}, taken + " is not a folder"),
        failure({"build", path("nowhere"), "-o", path("a.mdb")}, path("nowhere") + " is not a folder"),
        failure({"build", path("empty"), "-o", path("a.mdb")}, path("empty") + " has no question files (*.txt)"),
        failure({"build", src, "-o", taken}, taken + " already exists; use --force to replace it"),
        failure({"build", src, "-o", path("empty"), "--force"}, path("empty") + " is a folder"),
        {{"build", broken, "-o", path("a.mdb")}, 1, QString(), notWritten(path("a.mdb"))},
        // The sources are read before the target is looked at.
        {{"build", broken, "-o", taken}, 1, QString(), notWritten(taken)},

        failure({"check", path("none.mdb")}, path("none.mdb") + ": no such file"),
        failure({"check", taken}, taken + " is not a SQLite database"),

        failure({"export", src, "-o", path("out")}, src + ": no such file"),
        failure({"export", path("none.mdb"), "-o", path("out")}, path("none.mdb") + ": no such file"),
        failure({"export", path("complete.mdb"), "-o", src},
                src + " already holds bank sources (1 files); use --force to replace them"),

        failure({"export", src, "--format", "gift", "-o", taken}, taken + " exists already; use --force to replace it"),
        failure({"export", src, "--format", "gift", "-o", path("empty"), "--force"}, path("empty") + " is a folder"),
        // The target is looked at before the sources are read.
        failure({"export", broken, "--format", "gift", "-o", taken},
                taken + " exists already; use --force to replace it"),
        {{"export", broken, "--format", "aiken", "-o", path("a.txt")}, 1, QString(), notWritten(path("a.txt"))},
        failure({"export", path("none.mdb"), "--format", "moodle-xml", "-o", path("a.xml")},
                path("none.mdb") + ": no such file"),

        failure({"import", path("none.gift"), "-o", path("in")}, "cannot read " + path("none.gift") + ": …"),
        failure({"import", path("one.gift"), "-o", taken}, taken + " is not a folder"),
        // --format decides over the name and the content.
        failure({"import", src + "/000-001.txt", "-o", path("in"), "--format", "aiken"},
                src + "/000-001.txt:1: the question at line 1 has no 'ANSWER:' line"),
        failure({"import", path("nothing.gift"), "-o", path("in")},
                path("nothing.gift") + " holds no question the bank can hold; nothing was written"),
        {{"import", src + "/000-001.txt", "-o", path("in")},
         1,
         QString(),
         src +
             "/000-001.txt:1: 'NR: 0 RULE: 1 Q: Cui se aplică regulile?': a description without answers, not a "
             "question\n" +
             src +
             "/000-001.txt:8: 'NR: 1 RULE: 2(a) Q: Cine răspunde? a) Ni': a description without answers, not a "
             "question\nvelmaris-bank: 2 question(s) the bank cannot hold; nothing was written (--skip-invalid writes "
             "the 0 valid ones)\n"},

        failure({"print", src, "-o", taken}, taken + " exists already; use --force to replace it"),
        failure({"print", broken, "-o", taken, "--sheet", "--seed", "1"},
                taken + " exists already; use --force to replace it"),
        {{"print", broken, "-o", path("a.pdf")}, 1, QString(), notWritten(path("a.pdf"))},
        failure({"print", src, "-o", path("a.pdf"), "--sheet", "--seed", "1"},
                QString::fromUtf8("Banca de întrebări are numai 2 întrebări numerotate de la 0 la 273; un test are "
                                  "nevoie de 30.")),
    });
    EXPECT_EQ(readAll(taken), "an instructor's own file");
    for (const char* name : {"a.mdb", "out", "a.txt", "a.xml", "in", "a.pdf"})
        EXPECT_FALSE(QFileInfo::exists(path(name))) << name;
}

// Every command with the forms its options take: a long name, a single dash, "=" or a separate value,
// options before or after the path.
TEST_F(CommandLine, EachCommandAndTheFormsOfItsOptions)
{
    const QString src = path("src");
    const QString db = path("a.mdb");
    const QString built = "2 questions, 0 pictures, from 1 files, version 1, in … s\n";
    const QString checked =
        "bank: 272 numbers missing: 2-273\n"
        "bank: answer letters A 1, B 1, C 0; must be 92, 91, 91\n"
        "warning: 000: only the wrong variants carry absolute words (numai)\n"
        "absolute words only in the wrong variants: 1 of 2 questions, 50.0 % (at most 1.0 %)\n"
        "right variant alone hedged: 0, alone repeating the question's words: 0 of 2 questions\n"
        "right answer is the longest variant: 1.0 of 2 questions, 50.0 % (at most 30.0 %)\n";
    QList<Case> cases = {
        {{"build", src, "-o", db}, 0, "wrote " + db + ": " + built, QString()},
        {{"build", "-o", path("b.mdb"), src}, 0, "wrote " + path("b.mdb") + ": " + built, QString()},
        {{"build", src, "--output=" + path("c.mdb")}, 0, "wrote " + path("c.mdb") + ": " + built, QString()},
        {{"build", src, "-output", path("d.mdb")}, 0, "wrote " + path("d.mdb") + ": " + built, QString()},
        {{"build", src, "-o", db, "--force"}, 0, "wrote " + db + ": " + built, QString()},
        {{"build", src, "-o", db, "-force"}, 0, "wrote " + db + ": " + built, QString()},
        {{"build", src, "-o", path("x.mdb"), "-o", path("e.mdb")},
         0,
         "wrote " + path("e.mdb") + ": " + built,
         QString()},

        {{"check", db}, 1, checked + db + ": 2 questions, 0 pictures: 2 fault(s)\n", QString()},
        {{"check", src}, 1, checked + src + ": 2 questions, 0 pictures: 2 fault(s)\n", QString()},
        {{"check", path("broken")},
         1,
         "000-001.txt:18: missing 'b)' before 'c)'\n" + checked + path("broken") +
             ": 2 questions, 0 pictures: 3 fault(s)\n",
         QString()},
        {{"check", "--", path("complete.mdb")},
         0,
         "absolute words only in the wrong variants: 0 of 274 questions, 0.0 % (at most 1.0 %)\n"
         "right variant alone hedged: 0, alone repeating the question's words: … of 274 questions\n"
         "right answer is the longest variant: … of 274 questions, … % (at most 30.0 %)\n" +
             path("complete.mdb") + ": 274 questions, 0 pictures: all checks passed\n",
         QString()},

        {{"export", db, "-o", path("out")}, 0, "wrote 1 files to " + path("out") + "\n", QString()},
        {{"export", db, "--output", path("out"), "--force"}, 0, "wrote 1 files to " + path("out") + "\n", QString()},
        {{"export", path("complete.mdb"), "-o", path("out"), "-force"},
         0,
         "removed 000-001.txt\nwrote 1 files to " + path("out") + "\n",
         QString()},

        {{"export", src, "--format", "gift", "-o", path("a.gift")},
         0,
         "wrote " + path("a.gift") + ": 2 questions, … bytes, in … s\n",
         QString()},
        {{"export", db, "--format=aiken", "--output=" + path("a.aiken")},
         0,
         "wrote " + path("a.aiken") + ": 2 questions, … bytes, in … s\n",
         QString()},
        {{"export", db, "--format", "moodle-xml", "-o", path("a.xml")},
         0,
         "wrote " + path("a.xml") + ": 2 questions, … bytes, in … s\n",
         QString()},
        // A single dash, as every option takes it, --format of export too.
        {{"export", db, "-format", "aiken", "-o", path("b.aiken")},
         0,
         "wrote " + path("b.aiken") + ": 2 questions, … bytes, in … s\n",
         QString()},
        {{"export", "--format", "gift", db, "-o", path("a.gift"), "--force"},
         0,
         "wrote " + path("a.gift") + ": 2 questions, … bytes, in … s\n",
         QString()},

        {{"import", path("a.gift"), "-o", path("in")},
         0,
         "wrote " + path("in") + "/000-001-importate.txt: 2 questions, numbers 0 to 1 (from their names), 0 pictures\n",
         QString()},
        {{"import", path("a.aiken"), "-o", path("in"), "--format", "aiken"},
         0,
         "wrote " + path("in") + "/002-003-importate.txt: 2 questions, numbers 2 to 3, 0 pictures\n",
         QString()},
        {{"import", path("a.xml"), "--output=" + path("in"), "--first=10", "--skip-invalid"},
         0,
         "wrote " + path("in") + "/010-011-importate.txt: 2 questions, numbers 10 to 11, 0 pictures\n",
         QString()},
        {{"import", "-skip-invalid", "-first", "20", path("a.gift"), "-output", path("in"), "-format", "gift"},
         0,
         "wrote " + path("in") + "/020-021-importate.txt: 2 questions, numbers 20 to 21, 0 pictures\n",
         QString()},
    };
#ifndef _WIN32  // the tool's printing finds no Liberation Serif under wine's offscreen platform yet
    cases += QList<Case>{
        {{"print", src, "-o", path("a.pdf")}, 0, "wrote " + path("a.pdf") + ": 3 pages, in … s\n", QString()},
        {{"print", db, "--output", path("a.pdf"), "--force"},
         0,
         "wrote " + path("a.pdf") + ": 3 pages, in … s\n",
         QString()},
        {{"print", path("complete.mdb"), "-o", path("a.pdf"), "-force", "--sheet", "--seed", "4294967295"},
         0,
         "wrote " + path("a.pdf") + ": … pages, in … s\n",
         QString()},
        {{"print", "--seed=0", "-sheet", path("complete.mdb"), "-o", path("b.pdf")},
         0,
         "wrote " + path("b.pdf") + ": … pages, in … s\n",
         QString()},
    };
#endif
    runAll(cases);
}

}  // namespace
