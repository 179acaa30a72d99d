#include "results/row_list.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace results {

namespace {

constexpr int kShareRole = Qt::UserRole + 1;
constexpr int kFieldsRole = Qt::UserRole + 2;
// From the list's edge to its first column, as the captions above it stand.
constexpr int kPadding = 4;

// The rows, worded on demand; the last few worded are kept, as a view asks for the same row many times.
class RowModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(int count, std::function<Row(int)> row, std::function<double(int)> share)
    {
        beginResetModel();
        count_ = count;
        row_ = std::move(row);
        share_ = std::move(share);
        cache_.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= count_)
            return {};
        switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
            case Qt::ToolTipRole:
                // The spoken sentence: a screen reader and a search by typing find it.
                return worded(index.row()).spoken;
            case kFieldsRole:
                return worded(index.row()).fields;
            case kShareRole:
                return share_ ? QVariant(share_(index.row())) : QVariant();
            default:
                return {};
        }
    }

private:
    const Row& worded(int row) const
    {
        for (const auto& [n, r] : cache_)
            if (n == row)
                return r;
        if (cache_.size() >= 64)
            cache_.erase(cache_.begin());
        cache_.emplace_back(row, row_(row));
        return cache_.back().second;
    }

    int count_ = 0;
    std::function<Row(int)> row_;
    std::function<double(int)> share_;
    mutable std::vector<std::pair<int, Row>> cache_;
};

class ColumnsDelegate : public QStyledItemDelegate {
public:
    ColumnsDelegate(QObject* parent, QVector<int> columns, int barWidth)
        : QStyledItemDelegate(parent), columns_(std::move(columns)), barWidth_(barWidth)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The style paints the row's background, selection and focus; the fields go at their columns.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.rect.setWidth(rowWidth(option));
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QStringList fields = index.data(kFieldsRole).toStringList();
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(
            opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect r = opt.rect;
        for (qsizetype i = 0; i < fields.size() && i < columns_.size(); ++i) {
            const int left = r.left() + kPadding + columns_[i];
            const int right = i + 1 < columns_.size() ? r.left() + kPadding + columns_[i + 1] - 6 : r.right() - 4;
            const QRect cell(left, r.top(), right - left, r.height());
            painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                              opt.fontMetrics.elidedText(fields[i], Qt::ElideRight, cell.width()));
        }
        const QVariant share = index.data(kShareRole);
        if (barWidth_ > 0 && share.isValid()) {
            const double s = std::clamp(share.toDouble(), 0.0, 1.0);
            const QRect track(r.right() - barWidth_ - 6, r.top() + 4, barWidth_, r.height() - 8);
            painter->setPen(QColor(160, 160, 160));
            painter->setBrush(Qt::white);
            painter->drawRect(track.adjusted(0, 0, -1, -1));
            const QColor colour = s >= RowList::kWeak ? QColor(200, 0, 0)
                                  : s > 0             ? QColor(230, 140, 0)
                                                      : QColor(0, 150, 0);
            const int length = std::max(s > 0 ? 2 : 0, int(s * (track.width() - 2) + 0.5));
            painter->fillRect(QRect(track.left() + 1, track.top() + 1, length, track.height() - 2), colour);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        // Every row alike (the list asks once): its height from the font, not from its text.
        return {rowWidth(option), option.fontMetrics.height() + 6};
    }

private:
    // A row spans the list's width, whatever the length of its spoken text.
    static int rowWidth(const QStyleOptionViewItem& option)
    {
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        return view ? view->viewport()->width() : option.rect.width();
    }

    QVector<int> columns_;
    int barWidth_;
};

RowModel* modelOf(const RowList* list)
{
    return static_cast<RowModel*>(list->model());
}

}  // namespace

RowList::RowList(QWidget* parent, const char* name, const QString& accessibleName, QVector<int> columns, int barWidth)
    : QListView(parent)
{
    setObjectName(QString::fromLatin1(name));
    setAccessibleName(accessibleName);
    setModel(new RowModel(this));
    setItemDelegate(new ColumnsDelegate(this, std::move(columns), barWidth));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the list; the arrows walk its rows.
    setTabKeyNavigation(false);
}

void RowList::setRows(int count, std::function<Row(int)> row, std::function<double(int)> share)
{
    modelOf(this)->reset(count, std::move(row), std::move(share));
    if (count > 0)
        setCurrentRow(0);
}

int RowList::count() const
{
    return model()->rowCount();
}

QString RowList::rowText(int row) const
{
    return model()->index(row, 0).data(Qt::DisplayRole).toString();
}

void RowList::setCurrentRow(int row)
{
    // The keyboard's place, not a selection: nothing is marked until the cadet moves.
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

int RowList::currentRow() const
{
    return currentIndex().row();
}

QRect RowList::rowRect(int row) const
{
    return visualRect(model()->index(row, 0));
}

}  // namespace results
