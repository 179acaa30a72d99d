#pragma once

// How the results window words what Velmaris remembers: the text of every row of its lists, the points
// of its chart and the chart's text alternative. Plain functions, so that tests read them without a
// window and the window, the PDF report and a screen reader all say the same.

#include <QString>
#include <QStringList>

#include <vector>

#include "results/types.h"

namespace results {

// A row of one of the window's lists: the fields it shows in its columns, and the same as one sentence,
// which is what a screen reader reads for the row.
struct Row {
    QStringList fields;
    QString spoken;
};

// "11.12.2026 14:05"
QString dateText(const QDateTime& when);
// A share 0..1 as a Romanian percentage with one decimal: "33,3%".
QString shareText(double share);
// A percentage 0..100 as recorded: "83,3%".
QString percentText(double percentage);

Row historyRow(const TestRecord& test);
Row weaknessRow(const Weakness& weakness);
Row mistakeRow(const Mistake& mistake);

// The tests the chart draws, oldest first: the last `limit` of the history (which is newest first).
std::vector<TestRecord> chartTests(const std::vector<TestRecord>& history, std::size_t limit);
// What the chart shows, as text: one line per test it draws, oldest first, or a line saying there is none.
QStringList chartText(const std::vector<TestRecord>& chart);

// The cadet's name as exports and prints show it: "Popescu Ion, grupa 3A".
QString studentText(const std::optional<Student>& student);

}  // namespace results
