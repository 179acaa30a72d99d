#include "results/presentation.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace results;

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TestRecord test(const char* when, int grade, int correct, int wrong, double percentage, bool practice)
{
    TestRecord t;
    t.when = QDateTime::fromString(QString::fromLatin1(when), Qt::ISODate);
    t.grade = grade;
    t.correct = correct;
    t.wrong = wrong;
    t.percentage = percentage;
    t.practice = practice;
    return t;
}

// The machine's regional settings must not reach the window's Romanian figures: an English default
// would print "83.3%".
class Presentation : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(Presentation, RowsShowTheirFieldsAndReadAsOneSentence)
{
    struct Case {
        Row row;
        QStringList fields;
        QString spoken;
    };
    Weakness unseenLately{u("Regula 19"), 7, 3.0 / 7.0, 0, 0.0};
    Weakness part{u("Partea B"), 40, 0.25, 12, 0.5};
    const Case cases[] = {
        {historyRow(test("2026-12-11T14:05:09", 8, 25, 5, 25 * 100.0 / 30, false)),
         {u("11.12.2026 14:05"), u("8"), u("25 din 30"), u("83,3%"), u("test")},
         u("11.12.2026 14:05, nota 8, 25 corecte din 30, 83,3%, test obișnuit")},
        // A practice grade pressed after 29 answers: the judged count is what was judged, not 30.
        {historyRow(test("2027-01-02T09:00:00", 4, 3, 26, 3 * 100.0 / 29, true)),
         {u("02.01.2027 09:00"), u("4"), u("3 din 29"), u("10,3%"), u("exersare")},
         u("02.01.2027 09:00, nota 4, 3 corecte din 29, 10,3%, test de exersare")},
        // None of the last five tests asked it: a dash, never a misleading 0%.
        {weaknessRow(unseenLately),
         {u("Regula 19"), u("7"), u("42,9%"), u("–")},
         u("Regula 19: 7 răspunsuri, 42,9% greșite; nicio întrebare în ultimele cinci teste")},
        {weaknessRow(part),
         {u("Partea B"), u("40"), u("25,0%"), u("50,0%")},
         u("Partea B: 40 răspunsuri, 25,0% greșite; în ultimele cinci teste 50,0% greșite")},
        {mistakeRow({0, u("Regula 1")}), {u("Întrebarea 0"), u("Regula 1")}, u("Întrebarea 0, Regula 1")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.row.fields, c.fields) << c.spoken.toStdString();
        EXPECT_EQ(c.row.spoken, c.spoken);
    }
}

TEST_F(Presentation, TheChartDrawsTheLastTestsOldestFirstAndSaysSoAsText)
{
    // The history comes newest first.
    const std::vector<TestRecord> history = {
        test("2026-12-11T14:05:00", 8, 25, 5, 83.3, false),
        test("2026-12-10T10:00:00", 6, 20, 10, 66.7, true),
        test("2026-12-09T08:30:00", 4, 10, 20, 33.3, false),
    };
    struct Case {
        std::size_t limit;
        std::vector<int> grades;  // oldest first
    };
    for (const Case& c : {Case{10, {4, 6, 8}}, Case{2, {6, 8}}, Case{0, {}}}) {
        std::vector<int> grades;
        for (const TestRecord& t : chartTests(history, c.limit))
            grades.push_back(t.grade);
        EXPECT_EQ(grades, c.grades) << "limit " << c.limit;
    }
    EXPECT_EQ(chartText(chartTests(history, 2)),
              (QStringList{u("10.12.2026 10:00: nota 6 (exersare)"), u("11.12.2026 14:05: nota 8")}));
    EXPECT_EQ(chartText({}), QStringList{u("Niciun test înregistrat încă.")});
}

TEST_F(Presentation, TheStudentIsNamedAsFarAsKnown)
{
    struct Case {
        std::optional<Student> student;
        QString text;
    };
    const Case cases[] = {
        {std::nullopt, QString()},
        {Student{1, u("Ștefănescu"), u("Ion"), u("3A")}, u("Ștefănescu Ion, grupa 3A")},
        {Student{1, u("Ștefănescu"), u(""), u(" ")}, u("Ștefănescu")},
        {Student{1, u(""), u(""), u("3A")}, u("grupa 3A")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(studentText(c.student), c.text);
}

}  // namespace
