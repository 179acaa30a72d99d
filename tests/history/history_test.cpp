// What Velmaris remembers of graded tests: the overview read back from a made history, the raise of an
// older bank's tables, the practice draw and the CSV.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "results/export_csv.h"
#include "results/overview.h"
#include "results/practice_draw.h"
#include "results/record.h"
#include "results/rules.h"
#include "results/student.h"
#include "results/types.h"
#include "store/bank_location.h"
#include "store/database.h"
#include "store/error.h"
#include "store/schema.h"
#include "testing/test_session.h"
#include "tests/support/fixed_draw.h"
#include "tests/support/fixture_db.h"

namespace {

using results::GradedTest;
using results::JudgedQuestion;

std::string readFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path);
    return file.readAll().toStdString();
}

void copyFile(const std::string& from, const fixture::Folder& to)
{
    QFile::remove(QString::fromStdString(to.databasePath()));
    if (!QFile::copy(QString::fromStdString(from), QString::fromStdString(to.databasePath())))
        throw std::runtime_error("cannot copy " + from);
    QFile(QString::fromStdString(to.databasePath())).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

// A judged question: number, Rule, right or wrong (the correct letter is always "A").
JudgedQuestion judged(int number, const char* rule, bool right)
{
    return {number, QString::fromUtf8(rule), QStringLiteral("A"), right ? QStringLiteral("A") : QStringLiteral("B")};
}

GradedTest test(int day, std::vector<JudgedQuestion> questions, bool practice = false)
{
    GradedTest t;
    t.when = QDateTime(QDate(2026, 12, day), QTime(9, 30, 0));
    for (const JudgedQuestion& q : questions)
        (q.givenLetter == q.correctLetter ? t.correct : t.wrong) += 1;
    t.percentage = 100.0 * t.correct / (t.correct + t.wrong);
    t.grade = t.correct / 3;
    t.practice = practice;
    t.questions = std::move(questions);
    return t;
}

class History : public ::testing::Test {
protected:
    void open(int questions = 274)
    {
        folder.writeDatabase(fixture::sampleQuestions(questions));
        data.open(store::bankFileIn(folder.path()));
    }
    std::vector<std::string> rows(const std::string& sql) const { return folder.column(sql); }

    fixture::Folder folder;
    store::Database data;
};

TEST_F(History, ABankThatRecordedNothingHasAnEmptyOverviewAndIsNotWrittenByReadingIt)
{
    open();
    const std::string before = readFile(folder.databasePath());
    const results::Overview overview = results::loadOverview(data);
    EXPECT_FALSE(overview.student);
    EXPECT_TRUE(overview.history.empty());
    EXPECT_TRUE(overview.rules.empty());
    EXPECT_TRUE(overview.mistakes.empty());
    const QByteArray csv = results::historyCsv(data);
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBFNume;Prenume;Grupa;Data;Nota;Corecte;Greșite;Procent;Partea A;"));
    EXPECT_EQ(csv.count('\n'), 1) << "the header alone";
    EXPECT_EQ(readFile(folder.databasePath()), before);
}

TEST_F(History, TheOverviewReadsTheMadeHistoryBack)
{
    open();
    // Seven tests, oldest first. Rule 5 is always wrong; Rule 9 was wrong in the two oldest tests only;
    // question 10 was wrong and then right, 11 right and then wrong, 12 wrong twice.
    const std::vector<GradedTest> tests = {
        test(1, {judged(10, "Regula 9", false), judged(11, "Regula 9", true), judged(12, "Regula 5", false)}),
        test(2, {judged(10, "Regula 9", false), judged(20, "Anexa I", true)}),
        test(3, {judged(10, "Regula 9", true), judged(30, "Regula 14", true)}),
        test(4, {judged(11, "Regula 9", true), judged(31, "Regula 14", false)}, true),
        test(5, {judged(12, "Regula 5", false), judged(30, "Regula 14", true)}),
        test(6, {judged(11, "Regula 9", false), judged(32, "Regula 14", true)}),
        test(7, {judged(40, "Regula 38", true)}),
    };
    std::vector<int> ids;
    for (const GradedTest& t : tests)
        ids.push_back(results::recordTest(data, t));
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size());

    const results::Overview overview = results::loadOverview(data);
    ASSERT_TRUE(overview.student);
    ASSERT_EQ(overview.history.size(), 7u);
    const results::TestRecord& newest = overview.history.front();
    EXPECT_EQ(newest.id, ids.back());
    EXPECT_EQ(newest.when, tests.back().when);
    EXPECT_EQ(std::make_tuple(newest.grade, newest.correct, newest.wrong, newest.percentage, newest.practice),
              std::make_tuple(0, 1, 0, 100.0, false));
    EXPECT_TRUE(overview.history[3].practice) << "the fourth test, counted from the newest";
    EXPECT_EQ(overview.history.back().id, ids.front()) << "newest first";

    // name: seen, wrong share, seen in the last five tests, wrong share there.
    auto figures = [](const std::vector<results::Weakness>& list) {
        std::vector<std::string> out;
        for (const results::Weakness& w : list)
            out.push_back(w.name.toStdString() + ": " + std::to_string(w.seen) + " " +
                          QString::number(w.wrongShare, 'f', 2).toStdString() + " " + std::to_string(w.seenLastFive) +
                          " " + QString::number(w.wrongShareLastFive, 'f', 2).toStdString());
        return out;
    };
    EXPECT_EQ(figures(overview.rules), (std::vector<std::string>{
                                           "Regula 5: 2 1.00 1 1.00",
                                           "Regula 9: 6 0.50 3 0.33",
                                           "Regula 14: 4 0.25 4 0.25",
                                           "Regula 38: 1 0.00 1 0.00",
                                           "Anexa I: 1 0.00 0 0.00",
                                       }));
    EXPECT_EQ(figures(overview.parts), (std::vector<std::string>{
                                           "Partea B: 12 0.50 8 0.38",
                                           "Anexe: 1 0.00 0 0.00",
                                           "Partea E: 1 0.00 1 0.00",
                                       }));
    // Still wrong at the last answer, weakest Rule first; 10 was answered right since.
    std::vector<std::string> mistakes;
    for (const results::Mistake& m : overview.mistakes)
        mistakes.push_back(std::to_string(m.questionNumber) + " " + m.rule.toStdString());
    EXPECT_EQ(mistakes, (std::vector<std::string>{"12 Regula 5", "11 Regula 9", "31 Regula 14"}));
    EXPECT_EQ(overview.judged, (std::vector<int>{10, 11, 12, 20, 30, 31, 32, 40}));
}

// All an overview tells, as lines, to compare two readings of one history.
std::vector<std::string> told(const results::Overview& overview)
{
    std::vector<std::string> out;
    for (const results::TestRecord& t : overview.history)
        out.push_back("test " + std::to_string(t.id) + " " + t.when.toString(Qt::ISODate).toStdString());
    for (const auto* list : {&overview.rules, &overview.parts})
        for (const results::Weakness& w : *list)
            out.push_back(w.name.toStdString() + ": " + std::to_string(w.seen) + " " + std::to_string(w.wrongShare) +
                          " " + std::to_string(w.seenLastFive) + " " + std::to_string(w.wrongShareLastFive));
    for (const results::Mistake& m : overview.mistakes)
        out.push_back("mistake " + std::to_string(m.questionNumber) + " " + m.rule.toStdString());
    for (const int n : overview.judged)
        out.push_back("judged " + std::to_string(n));
    return out;
}

// The overview of a copy of the bank taken back to the schema before the summary: read from every answer.
results::Overview overviewFromEveryAnswer(const fixture::Folder& bank, fixture::Folder& copy)
{
    copyFile(bank.databasePath(), copy);
    const int stamp = store::contentStamp(std::stoll(copy.column("PRAGMA user_version")[0]));
    copy.exec(
        "DROP TRIGGER Raspunsuri_Sumar_Adauga; DROP TRIGGER Raspunsuri_Sumar_Sterge; "
        "DROP TRIGGER Raspunsuri_Sumar_Schimba; DROP INDEX Raspunsuri_Rezultat; DROP TABLE Sumar_Intrebari; "
        "PRAGMA user_version = " +
        std::to_string(store::userVersionFor(stamp, store::kResultsSchemaLevel)));
    store::Database data;
    data.open(store::bankFileIn(copy.path()));
    return results::loadOverview(data);
}

TEST_F(History, TheSummaryAgreesWithEveryAnswerWhateverWroteThem)
{
    open();
    for (int day = 1; day <= 8; ++day) {
        // Question 11 moves from Rule 9, where it was wrong, to Rule 8 (a corrected R1), where it is right:
        // its latest answer is the one under Rule 8. The rest alternate.
        results::recordTest(
            data,
            test(day, {judged(10, "Regula 9", day % 3 == 0), judged(11, day < 5 ? "Regula 9" : "Regula 8", day >= 5),
                       judged(12, "Regula 5", day == 4), judged(20 + day % 3, "Anexa I", day % 2 == 1)}));
    }
    fixture::Folder reference;
    const auto agree = [&](const char* after) {
        SCOPED_TRACE(after);
        const std::vector<std::string> fromSummary = told(results::loadOverview(data));
        EXPECT_EQ(fromSummary, told(overviewFromEveryAnswer(folder, reference)));
        EXPECT_GT(fromSummary.size(), 8u);
    };
    agree("tests recorded by the program");
    // Rows some other tool wrote: an answer without number, Rule or given letter.
    folder.exec(
        "INSERT INTO Raspunsuri(Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) "
        "VALUES((SELECT max(Id) FROM Rezultate), NULL, NULL, 'A', NULL)");
    agree("an answer with missing fields");
    folder.exec("DELETE FROM Raspunsuri WHERE Id_Rezultat = (SELECT max(Id) FROM Rezultate) - 1");
    agree("the answers of a test deleted");
    folder.exec("UPDATE Raspunsuri SET Rd = Rb, Regula = 'Regula 7' WHERE Nr_Intreb = 11 AND Id_Rezultat > 6");
    agree("letters and a Rule changed");

    // A file of the schema before the summary gains it at its first record, made from the answers it holds.
    fixture::Folder older;
    const std::vector<std::string> beforeRaise = told(overviewFromEveryAnswer(folder, older));
    store::Database olderData;
    olderData.open(store::bankFileIn(older.path()));
    results::recordTest(olderData, test(20, {judged(12, "Regula 5", false)}));
    EXPECT_EQ(store::schemaLevel(std::stoll(older.column("PRAGMA user_version")[0])), store::kCurrentSchemaLevel);
    const std::vector<std::string> raised = told(results::loadOverview(olderData));
    olderData.conColreg.close();
    fixture::Folder raisedReference;
    EXPECT_EQ(raised, told(overviewFromEveryAnswer(older, raisedReference)));
    EXPECT_NE(raised, beforeRaise) << "the new test counts";
}

TEST(Rules, TheRuleAndPartOfABankR1)
{
    const std::pair<const char*, const char*> rules[] = {
        {"1(a)", "Regula 1"},       {"14(a), 14(b)", "Regula 14"}, {" 17(a)(ii),(b)", "Regula 17"},
        {"Regula 5", "Regula 5"},   {"38", "Regula 38"},           {"Anexa I 2(a)(i)", "Anexa I"},
        {"Anexa IV 3", "Anexa IV"}, {"", "Fără regulă"},           {"vezi  manualul", "vezi manualul"},
    };
    for (const auto& [r1, rule] : rules)
        EXPECT_EQ(results::ruleOf(QString::fromUtf8(r1)), QString::fromUtf8(rule)) << r1;
    const std::pair<const char*, const char*> parts[] = {
        {"Regula 1", "Partea A"},  {"Regula 3", "Partea A"},  {"Regula 4", "Partea B"},  {"Regula 19", "Partea B"},
        {"Regula 20", "Partea C"}, {"Regula 31", "Partea C"}, {"Regula 32", "Partea D"}, {"Regula 37", "Partea D"},
        {"Regula 38", "Partea E"}, {"Regula 39", "Partea F"}, {"Regula 41", "Partea F"}, {"Anexa II", "Anexe"},
        {"Regula 42", ""},         {"Fără regulă", ""},
    };
    for (const auto& [rule, part] : parts)
        EXPECT_EQ(results::partOf(QString::fromUtf8(rule)), QString::fromUtf8(part)) << rule;
}

TEST_F(History, TheStudentIsTheSystemUserUntilNamed)
{
    open();
    results::recordTest(data, test(1, {judged(1, "Regula 1", true)}));
    const results::Student made = results::loadOverview(data).student.value();
    const results::Student user = results::systemUserStudent();
    EXPECT_FALSE(user.nume.isEmpty()) << "every account has at least a login name";
    EXPECT_EQ(std::make_tuple(made.nume, made.prenume, made.grupa),
              std::make_tuple(user.nume, user.prenume, QString()));

    results::saveStudent(data, QStringLiteral("Țăranu"), QStringLiteral("Ștefan"), QStringLiteral("M-21"));
    results::recordTest(data, test(2, {judged(1, "Regula 1", true)}));
    EXPECT_EQ(rows("SELECT Nume || '|' || Prenume || '|' || Grupa FROM Studenti"),
              std::vector<std::string>{"Țăranu|Ștefan|M-21"});
    EXPECT_EQ(rows("SELECT DISTINCT Id_Student FROM Rezultate"), rows("SELECT Id FROM Studenti"));
}

TEST_F(History, TheCsvHasOneRowPerTestWithEachPartsShareCorrect)
{
    open();
    results::saveStudent(data, QStringLiteral("Țăranu"), QStringLiteral("Ștefan"), QStringLiteral("M-21; seral"));
    GradedTest first = test(3, {judged(1, "Regula 2", true), judged(2, "Regula 7", false), judged(3, "Regula 7", true),
                                judged(4, "Regula 7", true), judged(5, "Anexa I", false)});
    first.percentage = 60.0;
    results::recordTest(data, first);
    GradedTest second = test(4, {judged(6, "Regula 25", true), judged(7, "Regula 25", true)}, true);
    second.when.setTime(QTime(17, 4, 5));
    results::recordTest(data, second);

    const QByteArray csv = results::historyCsv(data);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF")) << "UTF-8 with BOM";
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines,
              (QStringList{
                  QStringLiteral("Nume;Prenume;Grupa;Data;Nota;Corecte;Greșite;Procent;Partea A;Partea B;"
                                 "Partea C;Partea D;Partea E;Partea F;Anexe"),
                  QStringLiteral("Țăranu;Ștefan;\"M-21; seral\";2026-12-03 09:30:00;1;3;2;60,00;100,00;66,67;;;;;0,00"),
                  QStringLiteral("Țăranu;Ștefan;\"M-21; seral\";2026-12-04 17:04:05;0;2;0;100,00;;;100,00;;;;"),
                  QString(),
              }));
}

// Romanian Calc reads the CSV as the cadet opens it: ';' between fields, UTF-8, diacritics whole.
TEST_F(History, LibreOfficeReadsTheCsvWithItsDiacriticsWhole)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    open();
    results::saveStudent(data, QStringLiteral("Țăranu"), QStringLiteral("Ștefan"), QStringLiteral("Grupa Â"));
    results::recordTest(data, test(3, {judged(1, "Regula 2", true), judged(2, "Regula 7", false)}));
    const QString in = QString::fromStdString(folder.path() + "/istoric.csv");
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(results::historyCsv(data));
    file.close();

    // Opened as a spreadsheet with Calc's own detection of the file, then written back as ODS and read
    // as comma-separated text: each field must land in its own cell.
    QProcess convert;
    const QString out = QString::fromStdString(folder.path() + "/out");
    convert.setProcessEnvironment([&] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QString::fromStdString(folder.path()));
        return env;
    }());
    convert.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + QString::fromStdString(folder.path()) +
                                QStringLiteral("/profile"),
                            QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:59,34,76,1"),
                            QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                            QStringLiteral("--outdir"), out, in});
    ASSERT_TRUE(convert.waitForFinished(240000)) << "soffice did not finish";
    QFile back(out + QStringLiteral("/istoric.csv"));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly)) << convert.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(back.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Nume,Prenume,Grupa,Data,Nota,Corecte,Greșite,Procent,Partea A")))
        << lines[0].toStdString();
    const QStringList cells = lines[1].trimmed().split(QLatin1Char(','));
    ASSERT_GE(cells.size(), 8) << lines[1].toStdString();
    EXPECT_EQ(cells.mid(0, 3),
              (QStringList{QStringLiteral("Țăranu"), QStringLiteral("Ștefan"), QStringLiteral("Grupa Â")}));
    EXPECT_EQ(cells[4], QStringLiteral("0"));
}

// The previous release's bank as a user's copy holds it: built by the bank tool of that release from the
// first source file of its bank/, then a question corrected (text with diacritics; the answer letter and
// Rule of another) and seven rows a cut-off test left in ManInt.
const char* const kPreviousVersion = VELMARIS_PREVIOUS_VERSION_BANK;

std::map<std::string, std::vector<std::string>> everyRow(const fixture::Folder& folder)
{
    std::map<std::string, std::vector<std::string>> all;
    for (const char* table : {"Intrebari", "ManInt", "Studenti"}) {
        // Every column, whatever the table holds, as one text per row.
        std::string columns;
        for (const std::string& name :
             folder.column(std::string("SELECT name FROM pragma_table_info('") + table + "')"))
            columns += (columns.empty() ? "" : " || '|' || ") + std::string("quote(") + name + ")";
        all[table] = folder.column("SELECT " + columns + " FROM " + table + " ORDER BY rowid");
    }
    all["Rezultate"] = folder.column(
        "SELECT quote(Id) || quote(Id_Student) || quote(Data) || quote(Nota) || "
        "quote(Procent) FROM Rezultate ORDER BY Id");
    return all;
}

TEST(Upgrade, APreviousVersionBankGainsTheTablesAtItsFirstRecordAndKeepsEveryRow)
{
    fixture::Folder folder;
    copyFile(kPreviousVersion, folder);
    const auto before = everyRow(folder);
    ASSERT_EQ(before.at("ManInt").size(), 7u);
    ASSERT_EQ(before.at("Intrebari").size(), 63u);
    ASSERT_EQ(folder.column("PRAGMA user_version")[0], "1");
    ASSERT_EQ(folder.column("SELECT count(*) FROM sqlite_master WHERE name = 'Raspunsuri'")[0], "0");

    store::Database data;
    data.open(store::bankFileIn(folder.path()));
    EXPECT_TRUE(results::loadOverview(data).history.empty()) << "read before the raise";
    results::recordTest(data, test(5, {judged(12, "Regula 5", false), judged(7, "Regula 2", true)}));
    data.conColreg.close();

    EXPECT_EQ(everyRow(folder), [&] {
        auto expected = before;
        expected["Studenti"] = folder.column(
            "SELECT quote(Id) || '|' || quote(Nume) || '|' || quote(Prenume) || '|' || quote(Grupa) FROM Studenti");
        expected["Rezultate"] = folder.column(
            "SELECT quote(Id) || quote(Id_Student) || quote(Data) || quote(Nota) || "
            "quote(Procent) FROM Rezultate ORDER BY Id");
        return expected;
    }()) << "every question, correction and leftover row as it was";
    EXPECT_EQ(folder.column("SELECT count(*) FROM Studenti")[0], "1");
    EXPECT_EQ(folder.column("SELECT Corecte || Gresite || Exersare FROM Rezultate"), std::vector<std::string>{"110"});
    EXPECT_EQ(folder.column("SELECT Nr_Intreb || Regula || Rb || Rd FROM Raspunsuri ORDER BY Id"),
              (std::vector<std::string>{"12Regula 5AB", "7Regula 2AA"}));
    EXPECT_EQ(folder.column("PRAGMA user_version")[0],
              std::to_string(store::userVersionFor(1, store::kCurrentSchemaLevel)));
    EXPECT_EQ(store::bankVersion(folder.databasePath()), 1) << "the content stamp is still the bank's";
    EXPECT_EQ(folder.column("PRAGMA integrity_check")[0], "ok");

    // Opened again (a later run), the raised file records on without a second raise.
    store::Database again;
    again.open(store::bankFileIn(folder.path()));
    results::recordTest(again, test(6, {judged(12, "Regula 5", true)}));
    EXPECT_EQ(results::loadOverview(again).history.size(), 2u);
    EXPECT_TRUE(results::loadOverview(again).mistakes.empty()) << "12 was answered right since";
}

TEST(Upgrade, AFileThatFailsItsCheckIsNeverWritten)
{
    fixture::Folder folder;
    std::string bytes = readFile(kPreviousVersion);
    // A free-list count the file does not have: the tables open, only the structure check finds it.
    bytes[39] = 5;
    folder.writeBytes(bytes);

    store::Database data;
    data.open(store::bankFileIn(folder.path()));
    EXPECT_THROW(results::recordTest(data, test(5, {judged(12, "Regula 5", false)})), store::Error);
    EXPECT_THROW(results::saveStudent(data, QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")),
                 store::Error);
    data.conColreg.close();
    EXPECT_EQ(readFile(folder.databasePath()), bytes) << "not a byte changed";
}

TEST(Upgrade, ARunThatKeepsTheBankReadOnlyRecordsNothing)
{
    fixture::Folder folder;
    copyFile(kPreviousVersion, folder);
    const std::string bytes = readFile(folder.databasePath());
    store::Database data;
    data.conColreg.keepReadOnly("numai pentru învățare");
    data.open(store::bankFileIn(folder.path()));
    EXPECT_THROW(results::recordTest(data, test(5, {judged(12, "Regula 5", false)})), store::Error);
    data.conColreg.close();
    EXPECT_EQ(readFile(folder.databasePath()), bytes);
}

TEST(PracticeDraw, MistakesFirstThenUnseenThenTheRestNeverTwice)
{
    results::Overview overview;
    overview.mistakes = {
        {7, QStringLiteral("Regula 5")}, {3, QStringLiteral("Regula 5")}, {99, QStringLiteral("Regula 9")}};
    overview.judged = {1, 2, 3, 7, 99};
    std::mt19937 engine(7);
    auto between = [&engine](int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); };

    struct Case {
        const char* name;
        std::vector<int> bank;
        int count;
    };
    const Case cases[] = {
        {"tiny bank: all of it", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 30},
        {"a mistake the bank no longer holds", {1, 2, 3, 5, 7, 8, 9, 10, 11, 12}, 6},
        {"thirty of many",
         [] {
             std::vector<int> all;
             for (int n = 0; n <= 273; ++n)
                 all.push_back(n);
             return all;
         }(),
         30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int> drawn = results::practiceQuestions(overview, c.bank, c.count, between);
        const std::set<int> bank(c.bank.begin(), c.bank.end());
        ASSERT_EQ(drawn.size(), std::min<std::size_t>(c.count, bank.size()));
        EXPECT_EQ(std::set<int>(drawn.begin(), drawn.end()).size(), drawn.size()) << "no duplicate";
        std::vector<int> mistakes;
        for (const results::Mistake& m : overview.mistakes)
            if (bank.count(m.questionNumber))
                mistakes.push_back(m.questionNumber);
        EXPECT_EQ(std::vector<int>(drawn.begin(), drawn.begin() + mistakes.size()), mistakes)
            << "mistakes first, in order";
        // Then every unseen question before any seen one.
        bool seenStarted = false;
        for (std::size_t i = mistakes.size(); i < drawn.size(); ++i) {
            EXPECT_TRUE(bank.count(drawn[i]));
            const bool seen = std::count(overview.judged.begin(), overview.judged.end(), drawn[i]) > 0;
            EXPECT_FALSE(!seen && seenStarted) << drawn[i] << " unseen after a seen one";
            seenStarted = seenStarted || seen;
        }
    }
}

// The shipped bank, a made history, and the practice test the test window's "Start" makes from it.
TEST(PracticeDraw, APracticeStartOnTheShippedBankCopiesTheMistakesFirst)
{
    fixture::Folder folder;
    copyFile(VELMARIS_SHIPPED_BANK, folder);
    store::Database data;
    data.open(store::bankFileIn(folder.path()));
    selftest::TestSession session(data);
    session.setGenerator(std::make_unique<fixture::FixedDraw>(11));
    session.setTimeSource([] { return QDateTime(QDate(2026, 12, 10), QTime(8, 0)); });
    session.setRegionalSettings(QLocale::c());

    // Three ordinary tests, every fifth answer wrong.
    for (int t = 0; t < 3; ++t) {
        session.start();
        for (int i = 0; i < 30; ++i) {
            const QString rb = QString::fromStdString(data.tblTest.FieldByName("Rb").AsString());
            session.answer(i % 5 != 0 ? rb : rb == QStringLiteral("A") ? QStringLiteral("B") : QStringLiteral("A"));
            session.moveOn();
        }
        ASSERT_FALSE(session.grade().recordFailure);
    }
    const results::Overview overview = results::loadOverview(data);
    ASSERT_EQ(overview.history.size(), 3u);
    ASSERT_GE(overview.mistakes.size(), 6u);
    ASSERT_LT(overview.mistakes.size(), 30u) << "room left for questions never seen";

    session.setPractice(true);
    session.start();
    const std::vector<std::string> copied = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(copied.size(), 30u);
    EXPECT_EQ(std::set<std::string>(copied.begin(), copied.end()).size(), 30u) << "no duplicate";
    const std::size_t mistakes = std::min<std::size_t>(overview.mistakes.size(), 30);
    for (std::size_t i = 0; i < mistakes; ++i)
        EXPECT_EQ(copied[i], std::to_string(overview.mistakes[i].questionNumber)) << i;
    const std::set<int> judgedBefore(overview.judged.begin(), overview.judged.end());
    for (std::size_t i = mistakes; i < 30; ++i)
        EXPECT_FALSE(judgedBefore.count(std::stoi(copied[i]))) << copied[i] << ": never seen comes next";

    // Its record is marked as practice.
    for (int i = 0; i < 30; ++i) {
        session.answer(QStringLiteral("B"));
        session.moveOn();
    }
    ASSERT_FALSE(session.grade().recordFailure);
    EXPECT_EQ(folder.column("SELECT Exersare FROM Rezultate ORDER BY Id"),
              (std::vector<std::string>{"0", "0", "0", "1"}));

    // Set back to the ordinary test, "Start" draws as it always has.
    session.setPractice(false);
    session.setGenerator(std::make_unique<fixture::FixedDraw>(11));
    session.start();
    const std::vector<std::string> again = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    std::vector<std::string> drawn;
    for (int i = 1; i <= 30; ++i)
        drawn.push_back(std::to_string(session.state().numere[i]));
    EXPECT_EQ(again, drawn);
}

TEST(PracticeDraw, OnABankSmallerThanATestItFailsAsStartDoes)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(20));
    store::Database data;
    data.open(store::bankFileIn(folder.path()));
    std::string ordinaryFailure, practiceFailure;
    for (const bool practice : {false, true}) {
        selftest::TestSession session(data);
        session.setGenerator(std::make_unique<fixture::FixedDraw>(3));
        session.setPractice(practice);
        try {
            session.start();
        } catch (const store::Error& e) {
            (practice ? practiceFailure : ordinaryFailure) = e.what();
        }
    }
    EXPECT_FALSE(ordinaryFailure.empty());
    EXPECT_EQ(practiceFailure, ordinaryFailure);
    EXPECT_EQ(folder.count("ManInt"), 0);
}

}  // namespace
