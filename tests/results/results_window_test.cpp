#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "results/export_csv.h"
#include "results/frm_rezultate.h"
#include "results/grade_chart.h"
#include "results/presentation.h"
#include "results/record.h"
#include "results/row_list.h"
#include "results/student.h"
#include "startup/start_up.h"
#include "store/database.h"
#include "store/views/db_memo.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

using namespace results;

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// `tests` tests, newest first, one a day, grades 4..10 in turn, every third a practice test.
Overview madeOverview(int tests)
{
    Overview o;
    o.student = Student{1, u("Ștefănescu"), u("Ionuț"), u("3A")};
    const QDateTime first(QDate(2026, 9, 1), QTime(8, 30));
    for (int i = tests - 1; i >= 0; --i) {
        TestRecord t;
        t.id = i + 1;
        t.when = first.addDays(i);
        t.grade = 4 + i % 7;
        t.correct = 9 + i % 22;
        t.wrong = 30 - t.correct;
        t.percentage = t.correct * 100.0 / 30;
        t.practice = i % 3 == 2;
        o.history.push_back(t);
    }
    o.rules = {{u("Regula 19"), 12, 0.75, 4, 1.0}, {u("Regula 5"), 20, 0.25, 0, 0.0}, {u("Regula 1"), 9, 0.0, 3, 0.0}};
    o.parts = {{u("Partea B"), 200, 0.3, 30, 0.4}, {u("Anexe"), 10, 0.1, 0, 0.0}};
    o.mistakes = {{31, u("Regula 19")}, {7, u("Regula 5")}};
    return o;
}

QStringList texts(const RowList* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->rowText(i);
    return rows;
}

// What a screen reader is given for each row of a list, in order.
QStringList spokenRows(QWidget* list)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    QStringList rows;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child && child->role() == QAccessible::ListItem)
            rows << child->text(QAccessible::Name);
    }
    return rows;
}

class ResultsWindow : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void SetUp() override
    {
        folder.writeDatabase(fixture::sampleQuestions(40));
        kit().resetEndRequest();
        build(folder.path());
        w = frmRezultate;
    }
    void TearDown() override { destroy(); }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
    TfrmRezultate* w = nullptr;
};

TEST_F(ResultsWindow, ShowsEachListInItsOrderAndReadsItRowByRow)
{
    const Overview o = madeOverview(45);
    w->showOverview(o);

    struct Case {
        RowList* list;
        std::vector<Row> rows;
    };
    std::vector<Row> history, rules, parts, mistakes;
    for (const TestRecord& t : o.history)
        history.push_back(historyRow(t));
    for (const Weakness& r : o.rules)
        rules.push_back(weaknessRow(r));
    for (const Weakness& p : o.parts)
        parts.push_back(weaknessRow(p));
    for (const Mistake& m : o.mistakes)
        mistakes.push_back(mistakeRow(m));
    for (const Case& c : {Case{w->lstIstoric, history}, Case{w->lstReguli, rules}, Case{w->lstParti, parts},
                          Case{w->lstGreseli, mistakes}}) {
        QStringList expected;
        for (const Row& r : c.rows)
            expected << r.spoken;
        EXPECT_EQ(texts(c.list), expected) << c.list->objectName().toStdString();
        EXPECT_EQ(spokenRows(c.list), expected) << c.list->objectName().toStdString();
    }
    EXPECT_TRUE(w->lstIstoric->rowText(0).startsWith(u("15.10.2026 08:30, nota 6"))) << "newest first";

    // The chart draws the last tests, oldest first, and tells a screen reader the same figures.
    const std::vector<TestRecord>& drawn = w->chtNote->tests();
    ASSERT_EQ(drawn.size(), TfrmRezultate::kChartTests);
    EXPECT_EQ(drawn.front().when, o.history[TfrmRezultate::kChartTests - 1].when);
    EXPECT_EQ(drawn.back().when, o.history.front().when);
    const QStringList description = w->chtNote->accessibleDescription().split(QLatin1Char('\n'));
    EXPECT_EQ(description, chartText(drawn));
    // And as a list of the marks, one item per test, each where its mark is drawn.
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(w->chtNote);
    ASSERT_EQ(chart->role(), QAccessible::Chart);
    QStringList marks;
    for (int i = 0; i < chart->childCount(); ++i) {
        QAccessibleInterface* mark = chart->child(i);
        ASSERT_TRUE(mark);
        EXPECT_EQ(mark->role(), QAccessible::ListItem);
        EXPECT_EQ(chart->indexOfChild(mark), i);
        EXPECT_EQ(mark->parent(), chart);
        EXPECT_TRUE(mark->rect().contains(w->chtNote->mapToGlobal(w->chtNote->markAt(i)))) << i;
        marks << mark->text(QAccessible::Name);
    }
    EXPECT_EQ(marks, chartText(drawn));

    EXPECT_EQ(w->edtNume->text(), u("Ștefănescu"));
    EXPECT_EQ(w->edtPrenume->text(), u("Ionuț"));
    EXPECT_EQ(w->edtGrupa->text(), u("3A"));

    // Shown again with nothing recorded: every list empties, the chart says there is nothing yet.
    w->showOverview({});
    for (RowList* list : {w->lstIstoric, w->lstReguli, w->lstParti, w->lstGreseli})
        EXPECT_EQ(list->count(), 0) << list->objectName().toStdString();
    EXPECT_EQ(w->chtNote->accessibleDescription(), u("Niciun test înregistrat încă."));
    EXPECT_EQ(chart->childCount(), 0);
    EXPECT_EQ(chart->child(0), nullptr);
    EXPECT_EQ(w->edtNume->text(), QString());
}

TEST_F(ResultsWindow, EachWeakRuleHasABarAsLongAsItsShareWrong)
{
    // Shown first: the showing reads the bank, and a list lays its rows out once shown.
    kit().showWindow(w);
    w->showOverview(madeOverview(6));
    QCoreApplication::processEvents();
    const QImage shot = w->lstReguli->viewport()->grab().toImage();
    const QRgb red = qRgb(200, 0, 0), orange = qRgb(230, 140, 0);
    // Each row's longest run of bar colour, against the track's inner width.
    struct Case {
        int row;
        QRgb colour;
        double share;
    };
    for (const Case& c : {Case{0, red, 0.75}, Case{1, orange, 0.25}, Case{2, orange, 0.0}}) {
        const QRect r = w->lstReguli->rowRect(c.row);
        ASSERT_EQ(r.width(), w->lstReguli->viewport()->width()) << "a row spans the list";
        const int middle = r.center().y();
        int run = 0, longest = 0;
        for (int x = r.left(); x <= r.right(); ++x) {
            run = shot.pixel(x, middle) == c.colour || shot.pixel(x, middle) == red ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        EXPECT_NEAR(longest, c.share * 108, 2) << "row " << c.row;
    }
}

TEST_F(ResultsWindow, TheChartMarksPracticeTestsApart)
{
    // Practice marks are green rings, the others blue dots: count the green of the rings.
    const auto green = [&] {
        const QImage shot = w->chtNote->grab().toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                n += c.green() > c.red() + 60 && c.green() > c.blue() + 60;
            }
        return n;
    };
    Overview o = madeOverview(12);
    w->showOverview(o);
    EXPECT_GT(green(), 40);
    for (TestRecord& t : o.history)
        t.practice = false;
    w->showOverview(o);
    EXPECT_EQ(green(), 0);
}

// The window on a bank with tests recorded as "Nota" records them, reached as the cadet reaches it.
class RecordedResults : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void SetUp() override
    {
        std::vector<fixture::Question> questions = fixture::sampleQuestions(40);
        for (fixture::Question& q : questions)
            q.r1 = std::to_string(q.number % 10 + 1) + "(a)";
        folder.writeDatabase(questions);
        kit().resetEndRequest();
        build(folder.path());
        kit().showWindow(frmMain);
        frmMain->bitbtnOK->click();
        w = frmRezultate;
    }
    void TearDown() override { destroy(); }

    // A graded test of the given questions, those in `wrong` answered wrong, on day `day` of December.
    void record(int day, const std::vector<int>& numbers, const std::vector<int>& wrong, bool practice = false) const
    {
        results::GradedTest test;
        test.when = QDateTime(QDate(2026, 12, day), QTime(10, 0));
        for (int n : numbers) {
            const bool isWrong = std::find(wrong.begin(), wrong.end(), n) != wrong.end();
            test.questions.push_back({n, QStringLiteral("Regula %1").arg(n % 10 + 1), QStringLiteral("A"),
                                      isWrong ? QStringLiteral("B") : QStringLiteral("A")});
            ++(isWrong ? test.wrong : test.correct);
        }
        test.grade = 4 + test.correct % 7;
        test.percentage = test.correct * 100.0 / (test.correct + test.wrong);
        test.practice = practice;
        results::recordTest(frmMain->data, test);
    }
    void open()
    {
        kit().showWindow(frmAlege);
        frmAlege->RezultateTeste1->trigger();
    }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
    TfrmRezultate* w = nullptr;
};

TEST_F(RecordedResults, TheMenuOpensItOnWhatTheBankHoldsNowAndInapoiReturns)
{
    record(1, {1, 2, 3}, {2});
    record(3, {4, 5}, {});
    open();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(frmAlege->isVisible());
    ASSERT_EQ(w->lstIstoric->count(), 2);
    EXPECT_TRUE(w->lstIstoric->rowText(0).startsWith(u("03.12.2026 10:00, nota 6, 2 corecte din 2")));
    EXPECT_TRUE(w->lstIstoric->rowText(1).startsWith(u("01.12.2026 10:00, nota 6, 2 corecte din 3")));
    EXPECT_EQ(texts(w->lstGreseli), QStringList{u("Întrebarea 2, Regula 3")});

    w->Inapoi->click();
    EXPECT_TRUE(frmAlege->isVisible());
    EXPECT_FALSE(w->isVisible());

    // Opened again after another test: read afresh. Question 2 answered right since is no mistake now.
    record(5, {2, 6}, {6}, true);
    open();
    ASSERT_EQ(w->lstIstoric->count(), 3);
    EXPECT_TRUE(w->lstIstoric->rowText(0).endsWith(u("test de exersare")));
    EXPECT_EQ(texts(w->lstGreseli), QStringList{u("Întrebarea 6, Regula 7")});
    EXPECT_EQ(w->chtNote->tests().size(), 3u);
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(RecordedResults, AMistakeActivatedShowsThatQuestionInTheLearningWindow)
{
    record(1, {12, 17, 30}, {17, 30});
    open();
    ASSERT_EQ(w->lstGreseli->count(), 2);
    const int row = texts(w->lstGreseli).indexOf(u("Întrebarea 17, Regula 8"));
    ASSERT_GE(row, 0);
    w->lstGreseli->setCurrentRow(row);
    w->lstGreseli->setFocus();
    QTest::keyClick(w->lstGreseli, Qt::Key_Return);
    EXPECT_TRUE(frmInv_Colreg->isVisible());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(frmMain->data.tblIntrebari.FieldByName("Nr_Intreb").AsString(), "17");
    EXPECT_EQ(frmInv_Colreg->DBMemo1->toPlainText(), u("Întrebarea 17"));
    EXPECT_TRUE(recorder.errors().empty());

    // A question the bank no longer holds: said so, and the results window stays.
    kit().closeWindow(frmInv_Colreg);
    open();
    folder.exec("DELETE FROM Intrebari WHERE Nr_Intreb = 30");
    frmMain->data.tblIntrebari.Close();
    w->lstGreseli->setCurrentRow(texts(w->lstGreseli).indexOf(u("Întrebarea 30, Regula 1")));
    QTest::keyClick(w->lstGreseli, Qt::Key_Return);
    ASSERT_EQ(recorder.errors().size(), 1u);
    EXPECT_TRUE(recorder.errors()[0].contains(u("Întrebarea 30 nu mai este în banca de întrebări")))
        << recorder.errors()[0].toStdString();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(frmInv_Colreg->isVisible());
}

TEST_F(RecordedResults, PracticeOpensTheTestWindowWhoseStartDrawsAMistakeFirst)
{
    record(1, {3, 4, 5, 6}, {5});
    open();
    w->btnExerseaza->click();
    EXPECT_TRUE(frmColreg_Proc->isVisible());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(frmColreg_Proc->windowTitle().startsWith(u("Exersarea greșelilor")));
    frmColreg_Proc->btnStart->click();
    const std::vector<std::string> drawn = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(drawn.size(), 30u);
    EXPECT_EQ(drawn[0], "5");
}

TEST_F(RecordedResults, TheNameAndGroupAreSavedForExportsAndPrints)
{
    open();
    w->edtNume->setText(u(" Țăranu "));
    w->edtPrenume->setText(u("Ștefan"));
    w->edtGrupa->setText(u("3Î"));
    // Enter in a field saves as the button does.
    w->edtGrupa->setFocus();
    QTest::keyClick(w->edtGrupa, Qt::Key_Return);
    EXPECT_EQ(folder.column("SELECT Nume || '|' || Prenume || '|' || Grupa FROM Studenti"),
              std::vector<std::string>{"Țăranu|Ștefan|3Î"});
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, u("Numele și grupa au fost salvate."));
    // Kept when the window is opened again.
    w->Inapoi->click();
    open();
    EXPECT_EQ(w->edtNume->text(), u("Țăranu"));
    EXPECT_EQ(w->edtGrupa->text(), u("3Î"));
}

TEST_F(RecordedResults, ExportWritesTheFileTheCadetChoosesByItsKind)
{
    record(1, {1, 2, 3}, {2});
    results::saveStudent(frmMain->data, u("Țăranu"), u("Ștefan"), u("3Î"));
    open();
    QTemporaryDir dir;
    struct Case {
        QString chosen;  // empty: the cadet cancelled
        QByteArray starts;
    };
    const QByteArray csv = results::historyCsv(frmMain->data);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    for (const Case& c : {Case{dir.filePath(u("rezultate.csv")), csv}, Case{dir.filePath(u("raport.PDF")), "%PDF"},
                          Case{QString(), {}}}) {
        recorder.boxes.clear();
        w->chooseExportFile = [&](QWidget* owner) {
            EXPECT_EQ(owner, w);
            return c.chosen;
        };
        w->btnExporta->click();
        if (c.chosen.isEmpty()) {
            EXPECT_TRUE(recorder.boxes.empty());
            continue;
        }
        QFile file(c.chosen);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.chosen.toStdString();
        EXPECT_TRUE(file.readAll().startsWith(c.starts)) << c.chosen.toStdString();
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_TRUE(recorder.boxes[0].text.endsWith(QFileInfo(c.chosen).fileName()));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(RecordedResults, TabWalksEveryControlInOrderAndComesRound)
{
    record(1, {1, 2}, {2});
    open();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    w->lstIstoric->setFocus();
    const std::vector<QWidget*> order = {w->chtNote,      w->lstReguli,  w->lstParti,    w->lstGreseli,
                                         w->btnExerseaza, w->btnExporta, w->Inapoi,      w->edtNume,
                                         w->edtPrenume,   w->edtGrupa,   w->btnSalveaza, w->lstIstoric};
    for (QWidget* expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << "expected " << expected->objectName().toStdString() << ", focus on "
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "nothing");
    }
}

}  // namespace
