#include "store/views/db_memo.h"

#include <QMimeData>
#include <QTextBlock>

#include "store/error.h"

namespace store {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), TextLink(true)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { textChangedByUser(this); });
}

namespace {

// Marks a block that continues the paragraph of the block before it.
constexpr int kContinuation = 1;

// Where to end a piece of a long paragraph: after the last blank within the limit, else at the limit
// (never between the halves of a surrogate pair).
qsizetype pieceEnd(const QString& text, qsizetype from, qsizetype limit)
{
    const qsizetype end = from + limit;
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '), end - 1);
    if (blank >= from + limit / 2)
        return blank + 1;
    return text.at(end - 1).isHighSurrogate() ? end - 1 : end;
}

}  // namespace

// Qt lays out a paragraph as one piece, all of it before any line shows: a paragraph of a megabyte (a
// damaged or hand-edited file) would block the program for seconds. Such a paragraph is shown as
// several blocks, each marked as continuing the one before, so that only what is on screen is laid
// out; currentText() joins them again, so nothing of the stored text is lost or changed.
void DBMemo::showText(const QString& text)
{
    bool longParagraph = false;
    for (qsizetype start = 0, end; start <= text.size(); start = end + 1) {
        end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        if (end - start > kLongParagraph) {
            longParagraph = true;
            break;
        }
    }
    if (!longParagraph) {
        setPlainText(text);
        return;
    }

    QString pieces;
    pieces.reserve(text.size() + text.size() / kLongParagraph + 1);
    std::vector<bool> continues;
    for (qsizetype start = 0, end; start <= text.size(); start = end + 1) {
        end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        qsizetype from = start;
        bool first = true;
        do {
            const qsizetype to = end - from > kLongParagraph ? pieceEnd(text, from, kLongParagraph) : end;
            if (!pieces.isEmpty() || !continues.empty())
                pieces += QLatin1Char('\n');
            pieces += QStringView(text).sliced(from, to - from);
            continues.push_back(!first);
            first = false;
            from = to;
        } while (from < end);
    }
    setPlainText(pieces);
    QTextBlock block = document()->firstBlock();
    for (std::size_t i = 0; i < continues.size() && block.isValid(); ++i, block = block.next())
        block.setUserState(continues[i] ? kContinuation : -1);
}

QString DBMemo::currentText() const
{
    QTextBlock block = document()->firstBlock();
    bool pieces = false;
    for (QTextBlock b = block; b.isValid() && !pieces; b = b.next())
        pieces = b.userState() == kContinuation;
    if (!pieces)
        return toPlainText();
    QString text;
    for (; block.isValid(); block = block.next()) {
        if (block != document()->firstBlock() && block.userState() != kContinuation)
            text += QLatin1Char('\n');
        text += block.text();
    }
    // As toPlainText() gives them.
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    reportingFailures(failureReporter(), [&] {
        if (filterKey(event) == Key::Pass)
            QPlainTextEdit::keyPressEvent(event);
    });
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    leaving();
    QPlainTextEdit::focusOutEvent(event);
}

bool DBMemo::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() && QPlainTextEdit::canInsertFromMimeData(source);
}

void DBMemo::insertFromMimeData(const QMimeData* source)
{
    if (!beginEdit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace store
