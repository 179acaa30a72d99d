#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/window_ops.h"
#include "results/frm_rezultate.h"
#include "results/grade_chart.h"
#include "results/presentation.h"
#include "results/row_list.h"
#include "startup/start_up.h"
#include "startup/windows.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"

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

QStringList texts(const QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
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

class ResultsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.writeDatabase(fixture::sampleQuestions(40));
        app::resetEndRequest();
        startup::createWindows(QString::fromStdString(folder.path()));
        w = frmRezultate;
    }
    void TearDown() override { startup::destroyWindows(); }

    fixture::Folder folder;
    BoxRecorder recorder;
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
    EXPECT_TRUE(w->lstIstoric->item(0)->text().startsWith(u("15.10.2026 08:30, nota 6"))) << "newest first";

    // The chart draws the last tests, oldest first, and tells a screen reader the same figures.
    const std::vector<TestRecord>& drawn = w->chtNote->tests();
    ASSERT_EQ(drawn.size(), TfrmRezultate::kChartTests);
    EXPECT_EQ(drawn.front().when, o.history[TfrmRezultate::kChartTests - 1].when);
    EXPECT_EQ(drawn.back().when, o.history.front().when);
    const QStringList description = w->chtNote->accessibleDescription().split(QLatin1Char('\n'));
    EXPECT_EQ(description, chartText(drawn));

    EXPECT_EQ(w->edtNume->text(), u("Ștefănescu"));
    EXPECT_EQ(w->edtPrenume->text(), u("Ionuț"));
    EXPECT_EQ(w->edtGrupa->text(), u("3A"));

    // Shown again with nothing recorded: every list empties, the chart says there is nothing yet.
    w->showOverview({});
    for (RowList* list : {w->lstIstoric, w->lstReguli, w->lstParti, w->lstGreseli})
        EXPECT_EQ(list->count(), 0) << list->objectName().toStdString();
    EXPECT_EQ(w->chtNote->accessibleDescription(), u("Niciun test înregistrat încă."));
    EXPECT_EQ(w->edtNume->text(), QString());
}

TEST_F(ResultsWindow, EachWeakRuleHasABarAsLongAsItsShareWrong)
{
    // Shown first: the showing reads the bank, and a list lays its rows out once shown.
    app::showWindow(w);
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
        const QRect r = w->lstReguli->visualItemRect(w->lstReguli->item(c.row));
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

}  // namespace
