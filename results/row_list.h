#pragma once

#include <QListView>
#include <QVector>

#include <functional>
#include <vector>

#include "results/presentation.h"

namespace results {

// A list of the results window whose rows show their fields in columns, each row read by a screen
// reader as one sentence (Row::spoken). Columns start at fixed x offsets, as the window's controls do.
// With a bar column, each row also draws a bar as long as its share (0..1) of the column's width.
// Rows are worded only when shown or read: a history of a thousand tests costs what a screenful does.
class RowList : public QListView {
    Q_OBJECT

public:
    RowList(QWidget* parent, const char* name, const QString& accessibleName, QVector<int> columns, int barWidth = 0);

    // Replaces the rows: `count` of them, row i worded by `row(i)`; `share(i)` gives its bar's length when
    // the list has bars. Both are kept and called again whenever a row is shown or read.
    void setRows(int count, std::function<Row(int)> row, std::function<double(int)> share = {});

    int count() const;
    // What a screen reader reads for row i.
    QString rowText(int row) const;
    void setCurrentRow(int row);
    int currentRow() const;
    QRect rowRect(int row) const;

    // The bar's colour when its share is at least this (red), below it (orange), and none (green).
    static constexpr double kWeak = 0.5;
};

}  // namespace results
