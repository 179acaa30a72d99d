#include "results/row_list.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>

namespace results {

namespace {

constexpr int kShareRole = Qt::UserRole + 1;
constexpr int kFieldsRole = Qt::UserRole + 2;
// From the list's edge to its first column, as the captions above it stand.
constexpr int kPadding = 4;

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

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize hint = QStyledItemDelegate::sizeHint(option, index);
        return {rowWidth(option), std::max(hint.height(), option.fontMetrics.height() + 6)};
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

}  // namespace

RowList::RowList(QWidget* parent, const char* name, const QString& accessibleName, QVector<int> columns, int barWidth)
    : QListWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    setAccessibleName(accessibleName);
    setItemDelegate(new ColumnsDelegate(this, std::move(columns), barWidth));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the list; the arrows walk its rows.
    setTabKeyNavigation(false);
}

void RowList::setRows(const std::vector<Row>& rows, const std::vector<double>& shares)
{
    clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The item's own text is the spoken sentence: a screen reader and a search by typing find it.
        auto* item = new QListWidgetItem(rows[i].spoken);
        item->setData(kFieldsRole, rows[i].fields);
        if (i < shares.size())
            item->setData(kShareRole, shares[i]);
        addItem(item);
    }
    if (count() > 0)
        setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

}  // namespace results
