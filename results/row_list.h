#pragma once

#include <QListWidget>
#include <QVector>

#include <vector>

#include "results/presentation.h"

namespace results {

// A list of the results window whose rows show their fields in columns, each row read by a screen
// reader as one sentence (Row::spoken). Columns start at fixed x offsets, as the window's controls do.
// With a bar column, each row also draws a bar as long as its share (0..1) of the column's width.
class RowList : public QListWidget {
    Q_OBJECT

public:
    RowList(QWidget* parent, const char* name, const QString& accessibleName, QVector<int> columns, int barWidth = 0);

    // Replaces the rows; `shares` (one per row) gives the bars' lengths when the list has bars.
    void setRows(const std::vector<Row>& rows, const std::vector<double>& shares = {});

    // The bar's colour when its share is at least this (red), below it (orange), and none (green).
    static constexpr double kWeak = 0.5;
};

}  // namespace results
