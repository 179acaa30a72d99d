#pragma once

#include <QWidget>

#include <vector>

#include "results/types.h"

namespace results {

// The grades of the last tests over time, drawn with QPainter: oldest on the left, grades 4 to 10 upwards,
// practice tests as hollow marks. A screen reader gets the same figures as text (chartText): the
// chart's accessible description, one line per test, and the chart's accessible children, one list item
// per test at its mark.
class GradeChart : public QWidget {
    Q_OBJECT

public:
    explicit GradeChart(QWidget* parent = nullptr);

    // The tests to draw, oldest first.
    void setTests(std::vector<TestRecord> tests);
    const std::vector<TestRecord>& tests() const { return tests_; }
    // Where the mark of test i is drawn.
    QPoint markAt(int i) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TestRecord> tests_;
};

}  // namespace results
