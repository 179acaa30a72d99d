// The bank tool end to end: build, export, check, through the library and through the command line.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <functional>

#include "bank_test_support.h"
#include "store/bank_location.h"
#include "store/picture.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/check/bank_check.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"
#include "velmaris-bank/source/bank_database.h"
#include "velmaris-bank/source/bank_load.h"
#include "velmaris-bank/source/source_export.h"
#include "velmaris-bank/source/source_format.h"

namespace {

const QString kFixtures = QStringLiteral(BANK_FIXTURES);

using banktest::readAll;
using banktest::tool;
using banktest::ToolRun;
using banktest::writeAll;

// Relative path -> bytes of every file under a folder.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readAll(path));
    }
    return files;
}

void exec(const QString& database, const QString& sql)
{
    const store::SqliteHandle db(database.toStdString(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_TRUE(db.ok()) << db.errorMessage();
    EXPECT_TRUE(store::execute(db.get(), sql.toStdString())) << db.errorMessage();
}

void setPicture(const QString& database, int number, const QByteArray& bytes)
{
    const store::SqliteHandle db(database.toStdString(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_TRUE(db.ok()) << db.errorMessage();
    store::Statement update(db.get(), "UPDATE Intrebari SET Poza = ? WHERE Nr_Intreb = ?");
    update.bindBlob(1, std::string_view(bytes.constData(), bytes.size()));
    update.bindInteger(2, number);
    EXPECT_TRUE(update.run()) << update.errorMessage();
}

QByteArray smallPicture(QRgb colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixel(3, 4, 0xffffffff);
    return store::encodeBmp(image);
}

// The round-trip fixture in a scratch folder, with the picture its file scene reads.
QString sourcesIn(const QTemporaryDir& dir)
{
    const QString src = dir.filePath("src");
    for (const QString& name : QDir(kFixtures + "/roundtrip").entryList(QDir::Files))
        writeAll(src + "/" + name, readAll(kFixtures + "/roundtrip/" + name));
    writeAll(src + "/pictures/022.bmp", smallPicture(0xff336699));
    return src;
}

QString build(const QString& sources, const QString& database)
{
    const bank::LoadedBank a = bank::loadBank(sources, bank::BankFrom::Sources);
    for (const bank::SourceFault& f : a.faults)
        ADD_FAILURE() << f.toString().toStdString();
    bank::replaceDatabase(database, a.questions, false, a.version);
    return database;
}

const bank::Question* find(const QList<bank::Question>& questions, int number)
{
    for (const bank::Question& q : questions)
        if (q.number == number)
            return &q;
    return nullptr;
}

TEST(BuildExport, RoundTripGivesTheSameSources)
{
    QTemporaryDir dir;
    const QString src = sourcesIn(dir);
    const QString db = build(src, dir.filePath("Velmaris.mdb"));

    const QList<bank::Question> rows = bank::readDatabase(db);
    ASSERT_EQ(rows.size(), 6);
    const bank::Question* q10 = find(rows, 10);
    ASSERT_TRUE(q10);
    EXPECT_EQ(q10->r1, "23(a)");
    EXPECT_EQ(q10->r2, "010.bmp | night; kind=power; len=120; aspect=ahead");
    EXPECT_EQ(q10->rb, "A");
    EXPECT_EQ(q10->sol1, "O navă cu propulsie mecanică în marș, văzută din prova");
    EXPECT_EQ(q10->picture.size(), 96054);
    EXPECT_TRUE(find(rows, 21)->picture.isEmpty());
    EXPECT_EQ(find(rows, 22)->picture, readAll(src + "/pictures/022.bmp"));

    const QString out = dir.filePath("out");
    bank::exportSources(bank::loadBank(db, bank::BankFrom::Database), out, false);
    EXPECT_EQ(filesUnder(out), filesUnder(src));

    // And the exported sources build the same rows again.
    const QList<bank::Question> again = bank::readDatabase(build(out, dir.filePath("again.mdb")));
    ASSERT_EQ(again.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].number);
        EXPECT_EQ(again[i].number, rows[i].number);
        EXPECT_EQ(again[i].text, rows[i].text);
        EXPECT_EQ(again[i].sol1 + again[i].sol2 + again[i].sol3, rows[i].sol1 + rows[i].sol2 + rows[i].sol3);
        EXPECT_EQ(again[i].picture, rows[i].picture);
        EXPECT_EQ(again[i].r1 + again[i].r2 + again[i].r3 + again[i].rb,
                  rows[i].r1 + rows[i].r2 + rows[i].r3 + rows[i].rb);
    }
}

TEST(BuildExport, DatabaseHasTheSchemaAndOnlyTheQuestions)
{
    QTemporaryDir dir;
    const QString db = build(sourcesIn(dir), dir.filePath("Velmaris.mdb"));
    const store::SqliteHandle h(db.toStdString(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    ASSERT_TRUE(h.ok()) << h.errorMessage();
    const auto value = [&](const char* sql) {
        store::Statement query(h.get(), sql);
        return query.step() == store::Statement::Step::Row ? QString::fromStdString(query.text(0)) : QString("none");
    };
    EXPECT_EQ(value("SELECT group_concat(Nr_Intreb) FROM (SELECT Nr_Intreb FROM Intrebari ORDER BY rowid)"),
              "10,11,12,20,21,22");
    EXPECT_EQ(value("SELECT count(*) FROM ManInt") + value("SELECT count(*) FROM Studenti") +
                  value("SELECT count(*) FROM Rezultate"),
              "000");
    EXPECT_EQ(value("SELECT typeof(Poza) FROM Intrebari WHERE Nr_Intreb = 21"), "null");
    EXPECT_EQ(value("SELECT R3 FROM Intrebari WHERE Nr_Intreb = 20"), R"({"file":"020-029-diverse.txt"})");
    EXPECT_EQ(value("PRAGMA user_version"), "1") << "sources without a VERSION file";
    // The pictures lie after every other column, so that reading the texts never walks their bytes.
    for (const char* table : {"Intrebari", "ManInt"})
        EXPECT_EQ(value((std::string("SELECT name FROM pragma_table_info('") + table + "') ORDER BY cid DESC").c_str()),
                  "Poza")
            << table;
}

// The version stamp decides whether installed programs replace their users' copies of the bank.
TEST(BuildExport, TheSourcesVersionBecomesTheFilesStamp)
{
    const struct {
        const char* text;
        int version;  // 0: a fault
    } cases[] = {{"7\n", 7}, {" 12 ", 12}, {"0", 0}, {"-3", 0}, {"v2", 0}, {"", 0}, {"65535", 65535}, {"65536", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QTemporaryDir dir;
        const QString src = sourcesIn(dir);
        writeAll(src + "/VERSION", c.text);
        const bank::LoadedBank a = bank::loadBank(src, bank::BankFrom::Sources);
        if (c.version == 0) {
            ASSERT_EQ(a.faults.size(), 1);
            EXPECT_EQ(a.faults[0].toString(), "VERSION:1: the version stamp must be a whole number from 1 up to 65535");
            continue;
        }
        EXPECT_TRUE(a.faults.isEmpty());
        const QString db = dir.filePath("Velmaris.mdb");
        bank::replaceDatabase(db, a.questions, false, a.version);
        EXPECT_EQ(store::bankVersion(db.toStdString()), c.version);
    }
}

TEST(BuildExport, CorrectionsInTheDatabaseComeBackToTheSources)
{
    QTemporaryDir dir;
    const QString db = build(sourcesIn(dir), dir.filePath("Velmaris.mdb"));
    exec(db, "UPDATE Intrebari SET Sol2 = 'O navă nestăpână pe manevră, fără viteză' WHERE Nr_Intreb = 11");
    exec(db,
         "UPDATE Intrebari SET Intrebare = 'Pe vizibilitate redusă auziți:' || char(13, 10) || 'un sunet prelung. "
         "Cine?' "
         "WHERE Nr_Intreb = 12");
    const QByteArray edited = smallPicture(0xff993366);
    setPicture(db, 10, edited);

    const QString out = dir.filePath("out");
    const bank::ExportResult result = bank::exportSources(bank::loadBank(db, bank::BankFrom::Database), out, false);
    const QString text = QString::fromUtf8(readAll(out + "/010-019-lumini.txt"));
    EXPECT_TRUE(text.contains("\nb) O navă nestăpână pe manevră, fără viteză\n"));
    EXPECT_TRUE(text.contains("\nQ: Pe vizibilitate redusă auziți: un sunet prelung. Cine?\n"));
    EXPECT_TRUE(text.contains("\nPIC: 010.bmp | file\n"));
    EXPECT_EQ(readAll(out + "/pictures/010.bmp"), edited);
    EXPECT_TRUE(result.warnings.join('\n').contains("010: the picture is not what"));
    EXPECT_TRUE(result.warnings.join('\n').contains("012: line break in Intrebare replaced by a space"));

    const QList<bank::Question> rebuilt = bank::readDatabase(build(out, dir.filePath("again.mdb")));
    EXPECT_EQ(find(rebuilt, 10)->picture, edited);
    EXPECT_EQ(find(rebuilt, 11)->sol2, "O navă nestăpână pe manevră, fără viteză");
}

TEST(Export, RefusesAForeignOrDamagedDatabaseClearly)
{
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* fault;
    };
    const Case cases[] = {
        {"missing file", [](const QString&) {}, "no such file"},
        {"text file", [](const QString& p) { writeAll(p, "NR: 1  RULE: 23(a)\n"); }, "is not a SQLite database"},
        {"empty file", [](const QString& p) { writeAll(p, ""); }, "has no table Intrebari"},
        {"another database", [](const QString& p) { exec(p, "CREATE TABLE Elevi(Nume TEXT)"); },
         "has no table Intrebari"},
        {"missing columns",
         [](const QString& p) {
             exec(p,
                  "CREATE TABLE Intrebari(Nr_Intreb INTEGER, Intrebare TEXT, Sol1 TEXT, Sol2 TEXT, Sol3 TEXT, "
                  "Poza BLOB, R1 TEXT, Rb TEXT)");
         },
         "lacks the columns R2, R3"},
        {"number that is not a number",
         [](const QString& p) {
             bank::writeDatabase(p, {});
             exec(p, "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Rb) VALUES('doi', 'Ce?', 'A')");
         },
         "Nr_Intreb 'doi', not a whole number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString db = dir.filePath("x.mdb");
        c.make(db);
        try {
            bank::exportSources(bank::loadBank(db, bank::BankFrom::Database), dir.filePath("out"), false);
            ADD_FAILURE() << "exported";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().contains(c.fault)) << e.what();
        }
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
    }
}

TEST(Export, ReplacesExistingSourcesOnlyWhenForced)
{
    QTemporaryDir dir;
    const QString db = build(sourcesIn(dir), dir.filePath("Velmaris.mdb"));
    const QString out = dir.filePath("out");
    writeAll(out + "/000-009-vechi.txt", "NR: 1  RULE: 2\n");
    writeAll(out + "/README.md", "# bank\n");
    try {
        bank::exportSources(bank::loadBank(db, bank::BankFrom::Database), out, false);
        ADD_FAILURE() << "exported over old sources";
    } catch (const bank::BankError& e) {
        EXPECT_TRUE(e.message().contains("already holds bank sources (1 files); use --force")) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(out + "/010-019-lumini.txt"));

    const bank::ExportResult forced = bank::exportSources(bank::loadBank(db, bank::BankFrom::Database), out, true);
    EXPECT_EQ(forced.removed, QStringList{"000-009-vechi.txt"});
    EXPECT_FALSE(QFileInfo::exists(out + "/000-009-vechi.txt"));
    EXPECT_TRUE(QFileInfo::exists(out + "/README.md"));  // not a source: left alone
    EXPECT_TRUE(QFileInfo::exists(out + "/020-029-diverse.txt"));
}

TEST(BuildCommand, WritesNothingWhenASourceIsMalformed)
{
    struct Case {
        const char* name;
        QByteArray text;
        const char* fault;  // as printed: file:line: fault
    };
    const Case cases[] = {
        {"missing variant", "NR: 1  RULE: 23(a)\nQ: Ce?\na) Una\nc) Trei\nOK: A\n",
         "bad.txt:4: missing 'b)' before 'c)'"},
        {"picture that cannot be drawn",
         "NR: 1  RULE: 27(d)\nQ: Ce?\na) Una\nb) Două\nc) Trei\nOK: A\n"
         "PIC: 001.bmp | night; kind=dredger; obstr=port; aspect=stbd-beam\n",
         "bad.txt:7: cannot make the picture: seen from stbd-beam"},
        {"picture file missing", "NR: 1  RULE: 34(a)\nQ: Ce?\na) Una\nb) Două\nc) Trei\nOK: A\nPIC: 001.bmp | file\n",
         "bad.txt:7: cannot make the picture: pictures/001.bmp cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        writeAll(dir.filePath("src/bad.txt"), c.text);
        const QString db = dir.filePath("Velmaris.mdb");
        const ToolRun run = tool({"build", dir.filePath("src"), "-o", db});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(c.fault)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(db));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());  // no temporary file left
    }
}

TEST(BuildCommand, KeepsAnExistingDatabaseUnlessForced)
{
    QTemporaryDir dir;
    const QString src = sourcesIn(dir);
    const QString db = dir.filePath("Velmaris.mdb");
    writeAll(db, "the instructor's own database");

    const ToolRun refused = tool({"build", src, "-o", db});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("already exists; use --force")) << refused.err.toStdString();
    EXPECT_EQ(readAll(db), "the instructor's own database");

    const ToolRun forced = tool({"build", src, "-o", db, "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err.toStdString();
    EXPECT_TRUE(forced.out.contains("6 questions, 5 pictures, from 2 files")) << forced.out.toStdString();
    EXPECT_EQ(bank::readDatabase(db).size(), 6);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Velmaris.mdb"});

    // Readable like any new file of the folder, not only by whoever built it.
    QFile fresh(dir.filePath("fresh"));
    ASSERT_TRUE(fresh.open(QIODevice::WriteOnly));
    fresh.close();
    EXPECT_EQ(QFileInfo(db).permissions(), QFileInfo(fresh.fileName()).permissions());
}

TEST(BuildCommand, CommandLineMistakesAreNamed)
{
    QTemporaryDir dir;
    struct Case {
        QStringList args;
        int status;
        const char* text;
    };
    const Case cases[] = {
        {{"--help"}, 0, "build SOURCES -o FILE [--force]"},
        {{"check", "--help"}, 0, "export FILE -o DIR [--force]"},
        {{}, 2, "no command given"},
        {{"bild", "x"}, 2, "unknown command 'bild'"},
        {{"build", dir.path()}, 2, "-o is missing"},
        {{"build", "a", "b", "-o", "c"}, 2, "'build' takes 1 path, not 2"},
        {{"build", dir.path(), "-o", dir.filePath("x.mdb")}, 1, "has no question files (*.txt)"},
        {{"build", dir.filePath("nowhere"), "-o", dir.filePath("x.mdb")}, 1, "is not a folder"},
        {{"export", dir.filePath("none.mdb"), "-o", dir.filePath("out")}, 1, "none.mdb: no such file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE((run.out + run.err).contains(c.text)) << (run.out + run.err).toStdString();
    }
}

TEST(Check, ACompleteValidBankPasses)
{
    QList<bank::Question> questions = banktest::validBank();
    questions[131].picture = bank::drawPicture(bank::parseDescription("night; kind=power; len=60; aspect=stbd-bow"));
    QImage tall(170, 474, QImage::Format_RGB32);
    tall.fill(0xff000000);
    questions[5].picture = store::encodeBmp(tall);    // as large as the views allow
    questions[7].text = QString(260, QChar(0x021B));  // at the limits: 260 and 140 characters
    questions[7].sol3 = QString(140, 'x');
    const QList<bank::Fault> faults = bank::checkQuestions(questions);
    for (const bank::Fault& f : faults)
        ADD_FAILURE() << f.toString().toStdString();
}

// Each case breaks one rule of a valid bank; the fault must name where and what.
TEST(Check, EachRuleCatchesItsFault)
{
    using Bank = QList<bank::Question>;
    struct Case {
        const char* name;
        std::function<void(Bank&)> breakIt;
        const char* where;
        const char* what;
    };
    const auto key = [](Bank& b, int n, const char* letter) { b[n].rb = letter; };
    const Case cases[] = {
        {"number missing", [](Bank& b) { b.removeAt(42); }, "bank", "1 number missing: 42"},
        {"numbers missing as ranges",
         [](Bank& b) {
             b.removeAt(50);
             b.remove(40, 5);
         },
         "bank", "6 numbers missing: 40-44, 50"},
        {"number twice", [](Bank& b) { b[43].number = 42; }, "042", "number used 2 times"},
        {"number out of range", [](Bank& b) { b[273].number = 300; }, "300", "number outside 0..273"},
        {"number not a number",
         [](Bank& b) {
             b[3].numberValid = false;
             b[3].numberText = "trei";
         },
         "row 4", "Nr_Intreb 'trei' is not a whole number"},
        {"letter not A, B or C", [&](Bank& b) { key(b, 42, "D"); }, "042", "answer letter Rb is 'D'"},
        {"letter in lower case", [&](Bank& b) { key(b, 42, "a"); }, "042", "answer letter Rb is 'a'"},
        {"empty variant", [](Bank& b) { b[17].sol2.clear(); }, "017", "Sol2 is empty"},
        {"blank question", [](Bank& b) { b[18].text = "   "; }, "018", "Intrebare is empty"},
        {"empty rule", [](Bank& b) { b[19].r1.clear(); }, "019", "R1 (RULE) is empty"},
        {"cedilla s", [](Bank& b) { b[20].sol1 = "Navă care pescuieşte"; }, "020", "Sol1 has the cedilla letter ş"},
        {"cedilla capital T", [](Bank& b) { b[21].text = "Ţinta: ce faceţi?"; }, "021",
         "Intrebare has the cedilla letters ţŢ"},
        {"stem too long", [](Bank& b) { b[22].text = QString(261, QChar(0x0219)); }, "022",
         "question text is 261 characters; at most 260"},
        {"variant too long", [](Bank& b) { b[23].sol3 = QString(141, 'x'); }, "023",
         "Sol3 is 141 characters; at most 140"},
        {"letters off overall", [&](Bank& b) { key(b, 0, "B"); }, "bank",
         "answer letters A 91, B 92, C 91; must be 92, 91, 91"},
        {"letters off in a Part",
         [&](Bank& b) {
             key(b, 1, "A");
             key(b, 4, "A");
             key(b, 7, "A");
         },
         "Part A (0-17)", "answer letters A 9, B 3, C 6; each must be within 2 of 6.0"},
        {"four in a row",
         [&](Bank& b) {
             key(b, 11, "B");
             key(b, 12, "B");
         },
         "010-013", "answer B 4 times in a row; at most 3"},
        {"picture not a bitmap", [](Bank& b) { b[60].picture = "GIF89a..."; }, "060",
         "picture: Bitmap image is not valid"},
        {"picture too wide",
         [](Bank& b) {
             QImage wide(171, 10, QImage::Format_RGB32);
             wide.fill(0xff000000);
             b[61].picture = store::encodeBmp(wide);
         },
         "061", "picture is 171 x 10 px; the picture views show at most 170 x 474"},
        {"picture too tall",
         [](Bank& b) {
             QImage tall(10, 475, QImage::Format_RGB32);
             tall.fill(0xff000000);
             b[62].picture = store::encodeBmp(tall);
         },
         "062", "picture is 10 x 475 px"},
        {"same question twice", [](Bank& b) { b[80].text = "  " + b[7].text.toUpper() + " "; }, "080",
         "same question text as 007"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bank b = banktest::validBank();
        c.breakIt(b);
        const QList<bank::Fault> faults = bank::checkQuestions(b);
        const bool found = std::any_of(faults.begin(), faults.end(), [&](const bank::Fault& f) {
            return f.where == c.where && f.what.contains(QString::fromUtf8(c.what));
        });
        QStringList all;
        for (const bank::Fault& f : faults)
            all << f.toString();
        EXPECT_TRUE(found) << all.join('\n').toStdString();
    }
    {
        SCOPED_TRACE("three in a row is allowed");
        Bank b = banktest::validBank();
        key(b, 11, "B");
        for (const bank::Fault& f : bank::checkQuestions(b))
            EXPECT_FALSE(f.what.contains("in a row")) << f.toString().toStdString();
    }
}

// Give-aways are found whatever the case and the diacritics, only when every wrong variant carries an
// absolute word and the right one none.
TEST(Review, AbsoluteWordsOnlyInTheWrongVariants)
{
    struct Case {
        const char* a;
        const char* b;
        const char* c;  // the right variant
        bool flagged;
    };
    const Case cases[] = {
        {"Numai ziua", "Întotdeauna noaptea", "Ziua și noaptea", true},
        {"NUMAI ziua", "intotdeauna noaptea", "Ziua și noaptea", true},
        {"Doar cu radarul", "Niciodata pe ceață", "Pe orice vizibilitate", false},  // the right one has one too
        {"Numai ziua", "Noaptea", "Ziua și noaptea", false},                        // one wrong variant only
        {"Oricând, fără excepție", "Nicio lumină", "O lumină albă", true},
        {"Nici un semnal", "Toate navele", "Navele cu vele", true},
        {"Numaidecât, ziua", "Totuși noaptea", "Ziua și noaptea", false},  // words that only begin alike
        {"Ziua, oricând", "Mereu noaptea", "Ziua și noaptea", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b + " / " + c.c);
        bank::Question q = banktest::validBank()[2];  // key C
        q.sol1 = QString::fromUtf8(c.a);
        q.sol2 = QString::fromUtf8(c.b);
        q.sol3 = QString::fromUtf8(c.c);
        const bank::Review review = bank::reviewQuestions({q});
        EXPECT_EQ(review.absoluteOnlyInDistractors, c.flagged ? 1 : 0);
        EXPECT_EQ(review.warnings.size(), c.flagged ? 1 : 0);
        if (c.flagged && !review.warnings.isEmpty()) {
            EXPECT_EQ(review.warnings[0].where, "002");
            EXPECT_TRUE(review.warnings[0].what.startsWith("only the wrong variants carry absolute words"));
        }
    }
}

// The right variant gives itself away when it alone hedges, or alone repeats a word of the question; a
// hedge or a repeated word in a wrong variant too, a short or function word, or a word that only begins
// like a hedge is no cue.
TEST(Review, RightVariantAloneHedgedOrRepeatingTheQuestion)
{
    struct Case {
        const char* stem;
        const char* a;
        const char* b;
        const char* c;         // the right variant
        const char* hedged;    // the hedge words named, or nullptr
        const char* repeated;  // the repeated words named, or nullptr
    };
    const Case cases[] = {
        {"În privința duratei lor, scutirile sunt:", "Permanente, sub același pavilion", "Temporare, până la inspecție",
         "Unele temporare, altele permanente", "unele, altele", nullptr},
        {"Ce trebuie să facă hidroavionul?", "Să stingă luminile", "Să arate o lumină albă",
         "Să arate lumini CÂT MAI apropiate", "cat mai", nullptr},
        {"Ce trebuie să facă hidroavionul?", "Să stingă luminile, dacă poate", "Să arate o lumină albă",
         "Să arate lumini cât mai apropiate", nullptr, nullptr},  // a wrong variant hedges too
        {"Ce trebuie să facă nava?", "Să stingă luminile", "Să arate o lumină albă", "Potrivit regulii, deși e mică",
         "desi", nullptr},  // „Potrivit” is no „pot”
        {"Cu ce mijloace se menține veghea?", "Prin radar, noaptea", "Numai vizual, ziua",
         "Prin văz, auz și toate mijloacele disponibile", nullptr, "mijloacele"},
        {"Cu ce mijloace se menține veghea?", "Prin radar, cu mijloace moderne", "Numai vizual, ziua",
         "Prin văz, auz și toate mijloacele disponibile", nullptr, nullptr},  // a wrong variant repeats it too
        {"Ce obligație păstrează nava care depășește?", "Este scutită de manevră", "Devine navă privilegiată",
         "Se abate din drumul navei depășite", nullptr, "depasite"},
        {"Pentru ce navă cu vele este aceasta?", "Pentru un remorcher", "Pentru o dragă", "Pentru o navă cu vele",
         nullptr, nullptr},  // short and function words
        {"Cum se prezintă nava din stânga imaginii?", "Cu prova spre dreapta", "Oprită, ancorată",
         "Cu prova spre STÂNGA, după caz", "dupa caz", "stanga"},
        {"Ce face nava?", "Se oprește imediat", "Trece prin prova ei", "Trece, de preferință, prin pupa ei",
         "de preferinta", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stem) + " / " + c.c);
        bank::Question q = banktest::validBank()[2];  // key C
        q.text = QString::fromUtf8(c.stem);
        q.sol1 = QString::fromUtf8(c.a);
        q.sol2 = QString::fromUtf8(c.b);
        q.sol3 = QString::fromUtf8(c.c);
        const bank::Review review = bank::reviewQuestions({q});
        QStringList expected;
        if (c.hedged)
            expected << QString::fromUtf8("002: only the right variant hedges (%1)").arg(c.hedged);
        if (c.repeated)
            expected
                << QString::fromUtf8("002: only the right variant repeats words of the question (%1)").arg(c.repeated);
        QStringList found;
        for (const bank::Fault& w : review.warnings)
            found << w.toString();
        EXPECT_EQ(found, expected);
        EXPECT_EQ(review.rightAloneHedged, c.hedged ? 1 : 0);
        EXPECT_EQ(review.rightAloneRepeats, c.repeated ? 1 : 0);
    }
}

// A word that the stems of many questions use is the bank's vocabulary, not a cue.
TEST(Review, WordsManyStemsUseAreNoCue)
{
    for (int uses : {bank::kCommonStemWordUses - 1, bank::kCommonStemWordUses}) {
        SCOPED_TRACE(uses);
        QList<bank::Question> questions = banktest::validBank().mid(0, uses);
        for (bank::Question& q : questions)
            q.text = QString::fromUtf8("Pe vizibilitate redusă, ce face nava %1?").arg(q.number);
        questions[2].sol3 = QString::fromUtf8("Semnalele pentru vizibilitate redusă");  // key C
        const bank::Review review = bank::reviewQuestions(questions);
        EXPECT_EQ(review.rightAloneRepeats, uses < bank::kCommonStemWordUses ? 1 : 0);
    }
}

// A learner who always picks the longest variant: a tie of two gives half a right answer.
TEST(Review, LongestVariantShareCountsTiesAsChances)
{
    QList<bank::Question> three = banktest::validBank().mid(0, 3);  // keys A, B, C
    three[0].sol1 = "Varianta cea mai lungă";                       // right and longest
    three[0].sol2 = three[0].sol3 = "Scurtă";
    three[1].sol1 = three[1].sol2 = "Două la fel de lungi";  // right, tied with a wrong one
    three[1].sol3 = "Scurtă";
    three[2].sol1 = "Varianta cea mai lungă";  // right, shortest
    three[2].sol2 = three[2].sol3 = "Mai scurtă";
    three[2].sol3 = "Scurtă";
    const bank::Review review = bank::reviewQuestions(three);
    EXPECT_EQ(review.questions, 3);
    EXPECT_DOUBLE_EQ(review.longestRight, 1.5);
    EXPECT_DOUBLE_EQ(review.longestShare(), 0.5);
    const QStringList lines = bank::reviewLines(review);
    EXPECT_TRUE(lines.contains("right answer is the longest variant: 1.5 of 3 questions, 50.0 % (at most 30.0 %)"))
        << lines.join('\n').toStdString();
}

TEST(Review, GlossaryDriftsAreNamed)
{
    struct Case {
        const char* text;
        const char* glossary;  // nullptr: no drift
    };
    const Case cases[] = {
        {"Lumina de pupa se vede din pupa", "lumină de pupă"},
        {"Lumina de pupă se vede din pupa", nullptr},
        {"Luminile laterale ale navei", "lumini de bord"},
        {"Luminile de bord ale navei", nullptr},
        {"O navă cu capacitate de manevra redusa", "navă cu capacitate de manevră redusă"},
        {"O navă cu capacitate redusă de manevră", "navă cu capacitate de manevră redusă"},
        {"O navă cu capacitate de manevră redusă", nullptr},
        {"O navă limitată în capacitatea de manevră", "navă cu capacitate de manevră redusă"},
        {"Două bile negre", "bulă"},
        {"O sferă neagră la prova", "bulă"},
        {"Două bule negre", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bank::Question q = banktest::validBank()[4];
        q.sol2 = QString::fromUtf8(c.text);
        const bank::Review review = bank::reviewQuestions({q});
        if (!c.glossary) {
            EXPECT_TRUE(review.warnings.isEmpty()) << review.warnings.value(0).toString().toStdString();
            continue;
        }
        ASSERT_EQ(review.warnings.size(), 1);
        EXPECT_EQ(review.warnings[0].where, "004");
        EXPECT_TRUE(review.warnings[0].what.startsWith("Sol2 writes „")) << review.warnings[0].what.toStdString();
        EXPECT_TRUE(review.warnings[0].what.endsWith(QString::fromUtf8("the glossary has „%1”").arg(c.glossary)))
            << review.warnings[0].what.toStdString();
    }
}

TEST(CheckCommand, ExitStatusFollowsTheChecks)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.mdb");
    QList<bank::Question> warned = banktest::validBank();
    warned[5].sol1 = "Numai ziua";  // key C: a give-away is a warning, not a fault
    warned[5].sol2 = "Întotdeauna noaptea";
    bank::writeDatabase(good, warned);
    const ToolRun pass = tool({"check", good});
    EXPECT_EQ(pass.status, 0) << pass.out.toStdString();
    EXPECT_TRUE(pass.out.contains("274 questions, 0 pictures: all checks passed"));
    EXPECT_TRUE(pass.out.contains("warning: 005: only the wrong variants carry absolute words (numai, intotdeauna)"))
        << pass.out.toStdString();
    EXPECT_TRUE(
        pass.out.contains("absolute words only in the wrong variants: 1 of 274 questions, 0.4 % (at most 1.0 %)"));
    EXPECT_TRUE(pass.out.contains("right answer is the longest variant: "));

    QList<bank::Question> broken = banktest::validBank();
    broken[42].rb = "D";
    const QString bad = dir.filePath("bad.mdb");
    bank::writeDatabase(bad, broken);
    const ToolRun fail = tool({"check", bad});
    EXPECT_EQ(fail.status, 1);
    EXPECT_TRUE(fail.out.contains("042: answer letter Rb is 'D'; must be A, B or C")) << fail.out.toStdString();
    EXPECT_TRUE(fail.out.contains("fault(s)"));

    // The same bank as sources.
    QList<bank::SourceRecord> records;
    for (const bank::Question& q : banktest::validBank()) {
        bank::SourceRecord r;
        r.number = int(q.number);
        r.rule = q.r1;
        r.question = q.text;
        r.a = q.sol1;
        r.b = q.sol2;
        r.c = q.sol3;
        r.key = q.rb;
        r.layout = bank::layoutFromText(q.r3, q.number);
        records.append(r);
    }
    records[200].picture = "200.bmp | night; kind=nuc; aspect=stbd-beam";
    for (const bank::SourceFile& f : bank::writeSourceFiles(records))
        writeAll(dir.filePath("src/" + f.name), f.bytes);
    const ToolRun sources = tool({"check", dir.filePath("src")});
    EXPECT_EQ(sources.status, 0) << sources.out.toStdString();
    EXPECT_TRUE(sources.out.contains("274 questions, 1 pictures: all checks passed"));
}

}  // namespace
