#pragma once

// An A4 PDF laid out as a column of blocks, pages numbered at the foot: the bank tool's handouts and test
// sheets, and the results window's report. Measures are at the PDF's resolution (kDpi).

#include <QFont>
#include <QPdfWriter>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <stdexcept>
#include <vector>

class QPainter;
class QPaintDevice;

namespace print {

constexpr int kDpi = 300;

constexpr qreal mm(qreal millimetres)
{
    return millimetres * kDpi / 25.4;
}

constexpr qreal kPageWidth = mm(210);
constexpr qreal kPageHeight = mm(297);
constexpr qreal kLeft = mm(20);
constexpr qreal kTop = mm(18);
constexpr qreal kBottom = kPageHeight - mm(20);
constexpr qreal kContentWidth = kPageWidth - 2 * kLeft;

// A piece of a page: its height, and how it paints itself from a top edge. Blocks are never split.
struct Block {
    qreal height = 0;
    std::function<void(QPainter&, qreal top)> paint;
    bool newPage = false;  // starts a page of its own
};

// The PDF could not be written; `why` is the system's reason, empty where it gave none.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const QString& reason);
    QString why;
};

enum class PageNumbers { EveryPage, AllButTheFirst };

class A4Document {
public:
    // The PDF goes to a temporary file that replaces `path` only when it is complete. Throws WriteError.
    A4Document(const QString& path, const QString& title, const QString& creator);

    // For measuring text as the PDF sets it.
    QPaintDevice* device() { return &writer_; }
    void add(Block block) { blocks_.push_back(std::move(block)); }

    // Lays the blocks out on pages (a block that does not fit starts the next one) and paints them, with
    // "Pagina i din n" in `numberFont` at the foot of the pages `numbers` says. Returns the number of
    // pages. Throws WriteError.
    int print(PageNumbers numbers, const QFont& numberFont);

private:
    static QIODevice* open(QSaveFile& file);

    QSaveFile file_;
    QPdfWriter writer_;
    std::vector<Block> blocks_;
};

}  // namespace print
