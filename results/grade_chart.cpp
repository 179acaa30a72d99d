#include "results/grade_chart.h"

#include <QPainter>
#include <QPainterPath>
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

}  // namespace

GradeChart::GradeChart(QWidget* parent) : QWidget(parent)
{
    // Reached by Tab like any control, so that a screen reader reads its figures.
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    setAccessibleDescription(chartText(tests_).join(QLatin1Char('\n')));
}

void GradeChart::setTests(std::vector<TestRecord> tests)
{
    tests_ = std::move(tests);
    setAccessibleDescription(chartText(tests_).join(QLatin1Char('\n')));
    update();
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

    const QRect plot(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
    p.setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
    const auto yOf = [&](int grade) {
        return plot.bottom() - (grade - kLowest) * plot.height() / (kHighest - kLowest);
    };
    for (int grade = kLowest; grade <= kHighest; ++grade) {
        const int y = yOf(grade);
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
    const auto xOf = [&](int i) {
        return n == 1 ? plot.center().x() : plot.left() + 6 + i * (plot.width() - 12) / (n - 1);
    };
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath line;
    for (int i = 0; i < n; ++i) {
        const QPointF at(xOf(i), yOf(tests_[i].grade));
        i == 0 ? line.moveTo(at) : line.lineTo(at);
    }
    p.setPen(QPen(kOrdinary, 1.5));
    p.drawPath(line);
    const qreal radius = n > 60 ? 2.5 : 4.0;
    for (int i = 0; i < n; ++i) {
        const TestRecord& test = tests_[i];
        const QColor colour = test.practice ? kPractice : kOrdinary;
        p.setPen(QPen(colour, 1.5));
        p.setBrush(test.practice ? QBrush(Qt::white) : QBrush(colour));
        p.drawEllipse(QPointF(xOf(i), yOf(test.grade)), radius, radius);
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
