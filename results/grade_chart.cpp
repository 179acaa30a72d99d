#include "results/grade_chart.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFocusRect>

#include "app/window_setup.h"
#include "results/presentation.h"

namespace results {

namespace {

constexpr int kLowest = 4;
constexpr int kHighest = 10;
// Room for the grades at the left and the dates below.
constexpr int kLeft = 34;
constexpr int kRight = 14;
constexpr int kTop = 12;
constexpr int kBottom = 26;

const QColor kOrdinary(0, 0, 170);
const QColor kPractice(0, 128, 0);

QRect plotOf(const QWidget* chart)
{
    return {kLeft, kTop, chart->width() - kLeft - kRight, chart->height() - kTop - kBottom};
}

int yOf(const QRect& plot, int grade)
{
    return plot.bottom() - (grade - kLowest) * plot.height() / (kHighest - kLowest);
}

// One drawn test, as a list item a screen reader reads: its line of chartText, at its mark.
class ChartMark : public QAccessibleInterface {
public:
    ChartMark(GradeChart* chart, int index) : chart_(chart), index_(index) {}

    bool isValid() const override { return chart_ && index_ < static_cast<int>(chart_->tests().size()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return chart_ ? chart_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(chart_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        return chartText({chart_->tests()[static_cast<std::size_t>(index_)]}).constFirst();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        return {chart_->mapToGlobal(chart_->markAt(index_) - QPoint(4, 4)), QSize(9, 9)};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }

private:
    QPointer<GradeChart> chart_;
    int index_;
};

// The chart with one child per drawn test. The children are made when asked for and registered, so
// that the accessibility bus keeps one identity for each; a new set of tests drops them all.
class ChartAccessible : public QAccessibleWidget {
public:
    explicit ChartAccessible(GradeChart* chart) : QAccessibleWidget(chart, QAccessible::Chart) {}
    ~ChartAccessible() override { forget(); }

    int childCount() const override { return static_cast<int>(chart()->tests().size()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (marks_.size() < static_cast<std::size_t>(childCount()))
            marks_.resize(static_cast<std::size_t>(childCount()), 0);
        QAccessible::Id& id = marks_[static_cast<std::size_t>(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new ChartMark(chart(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (std::size_t i = 0; i < marks_.size(); ++i)
            if (marks_[i] && QAccessible::accessibleInterface(marks_[i]) == child)
                return static_cast<int>(i);
        return -1;
    }
    void forget()
    {
        for (QAccessible::Id id : marks_)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        marks_.clear();
    }

private:
    GradeChart* chart() const { return static_cast<GradeChart*>(widget()); }

    mutable std::vector<QAccessible::Id> marks_;
};

QAccessibleInterface* chartAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("results::GradeChart") && object->isWidgetType())
        return new ChartAccessible(static_cast<GradeChart*>(object));
    return nullptr;
}

}  // namespace

GradeChart::GradeChart(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&chartAccessible);
        return true;
    }();
    (void)factoryInstalled;
    // Reached by Tab like any control, so that a screen reader reads its figures.
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    setAccessibleDescription(chartText(tests_).join(QLatin1Char('\n')));
}

void GradeChart::setTests(std::vector<TestRecord> tests)
{
    // The marks a screen reader was told of go with the tests they stood for.
    if (auto* iface = dynamic_cast<ChartAccessible*>(QAccessible::queryAccessibleInterface(this)))
        iface->forget();
    tests_ = std::move(tests);
    setAccessibleDescription(chartText(tests_).join(QLatin1Char('\n')));
    if (QAccessible::isActive()) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reorder);
    }
    update();
}

QPoint GradeChart::markAt(int i) const
{
    const QRect plot = plotOf(this);
    const auto n = static_cast<int>(tests_.size());
    const int x = n == 1 ? plot.center().x() : plot.left() + 6 + i * (plot.width() - 12) / std::max(1, n - 1);
    return {x, yOf(plot, tests_[static_cast<std::size_t>(i)].grade)};
}

void GradeChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }

    const QRect plot = plotOf(this);
    p.setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
    for (int grade = kLowest; grade <= kHighest; ++grade) {
        const int y = yOf(plot, grade);
        // Grade 5 is the lowest pass: its line stands out.
        p.setPen(grade == 5 ? QColor(200, 0, 0) : QColor(220, 220, 220));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(Qt::black);
        p.drawText(QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(grade));
    }
    if (tests_.empty()) {
        p.setPen(Qt::black);
        p.drawText(plot, Qt::AlignCenter, chartText(tests_).constFirst());
        return;
    }

    const auto n = static_cast<int>(tests_.size());
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn segment by segment: Qt strokes a wide smoothed polyline as one outline, which for a zigzag
    // of forty grades cost more than the rest of the window; round caps join the segments as well.
    QPen pen(kOrdinary, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    for (int i = 1; i < n; ++i)
        p.drawLine(QPointF(markAt(i - 1)), QPointF(markAt(i)));
    const qreal radius = n > 60 ? 2.5 : 4.0;
    for (int i = 0; i < n; ++i) {
        const TestRecord& test = tests_[i];
        const QColor colour = test.practice ? kPractice : kOrdinary;
        p.setPen(QPen(colour, 1.5));
        p.setBrush(test.practice ? QBrush(Qt::white) : QBrush(colour));
        p.drawEllipse(QPointF(markAt(i)), radius, radius);
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The first and the last date under the axis.
    p.setPen(Qt::black);
    const QRect below(plot.left(), plot.bottom() + 4, plot.width(), kBottom - 6);
    p.drawText(below, Qt::AlignLeft | Qt::AlignVCenter, dateText(tests_.front().when));
    if (n > 1)
        p.drawText(below, Qt::AlignRight | Qt::AlignVCenter, dateText(tests_.back().when));
}

}  // namespace results
