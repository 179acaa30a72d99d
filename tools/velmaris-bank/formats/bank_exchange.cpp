#include "velmaris-bank/formats/bank_exchange.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocument>
#include <QtEndian>

#include <cmath>

#include "store/error.h"
#include "store/picture.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/bank/bank_parts.h"
#include "velmaris-bank/check/bank_check.h"

namespace bank {
namespace {

const QString kNameDash = QStringLiteral(" – ");
// 96 dpi, the resolution of every drawn bank picture.
constexpr int kBankDotsPerMeter = 3780;
const QString kRuleWord = QStringLiteral("Regula ");

struct Category {
    const char* part;  // as in bank_parts.h
    int firstRule;
    int lastRule;
    const char* title;
};

const Category kCategories[] = {
    {"A", 1, 3, "Partea A – Generalități"},
    {"B", 4, 19, "Partea B – Reguli de guvernare și navigație"},
    {"C", 20, 31, "Partea C – Lumini și semne"},
    {"D", 32, 37, "Partea D – Semnale sonore și luminoase"},
    {"E", 38, 38, "Partea E – Scutiri"},
    {"F", 39, 41, "Partea F – Verificarea conformității"},
    {"Anexe", 0, -1, "Anexe"},
};

}  // namespace

QString ruleTitle(const QString& rule)
{
    return !rule.isEmpty() && rule.at(0).isDigit() ? kRuleWord + rule : rule;
}

QString exchangeName(qint64 number, const QString& rule)
{
    const QString number3 = QString("%1").arg(number, 3, 10, QChar('0'));
    return rule.isEmpty() ? number3 : number3 + kNameDash + ruleTitle(rule);
}

QString ruleFromName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^\\d+ – (.+)$"));
    const QRegularExpressionMatch m = form.match(name);
    if (!m.hasMatch())
        return {};
    QString rule = m.captured(1);
    if (rule.startsWith(kRuleWord) && rule.size() > kRuleWord.size() && rule.at(kRuleWord.size()).isDigit())
        rule.remove(0, kRuleWord.size());
    return rule;
}

QString colregCategory(const QString& rule, qint64 number)
{
    static const QRegularExpression leadingRule(QStringLiteral("^\\s*(\\d+)"));
    if (rule.trimmed().startsWith(QStringLiteral("Anexa")))
        return QString::fromUtf8(kCategories[6].title);
    const QRegularExpressionMatch m = leadingRule.match(rule);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt();
        for (const Category& c : kCategories)
            if (n >= c.firstRule && n <= c.lastRule)
                return QString::fromUtf8(c.title);
    }
    if (const Part* part = partOf(number))
        for (const Category& c : kCategories)
            if (qstrcmp(c.part, part->name) == 0)
                return QString::fromUtf8(c.title);
    return QStringLiteral("Altele");
}

namespace {

// Qt's HTML parser collapses every Unicode blank, where a browser collapses only the ASCII ones and shows the
// others (an em space, a narrow no-break space). Such blanks cross the parser as characters of the
// supplementary private use area that stand for them.
constexpr char32_t kKeptBlankBase = 0x100000;

bool isAsciiBlank(QChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiLetter(QChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void requireGui()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw BankError("reading HTML or Markdown needs a QGuiApplication");
}

// The document's plain text as one line: the marks Qt leaves for paragraphs, line breaks, table cells and
// pictures become blanks, a surrogate left alone (from "&#xD800;") the replacement character, as a browser
// shows it.
QString documentText(const QTextDocument& document)
{
    const QString raw = document.toRawText();
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c.isHighSurrogate() && i + 1 < raw.size() && raw[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, raw[i + 1]);
            ++i;
            if (code >= kKeptBlankBase && code < kKeptBlankBase + 0x10000)
                text += QChar(char16_t(code - kKeptBlankBase));
            else
                text += QStringView(raw).mid(i - 1, 2);
        } else if (c.isSurrogate() || c.isNull()) {
            text += QChar(QChar::ReplacementCharacter);
        } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
                   c == QChar(0xFDD1) || c == QChar::ObjectReplacementCharacter) {
            text += ' ';
        } else {
            text += c;
        }
    }
    return oneLineText(text);
}

// Whether Qt decodes the named entity "&name;". Remembered, as a file tends to use the same few many times.
bool qtDecodes(const QString& name)
{
    static QHash<QString, bool> known;
    if (const auto it = known.constFind(name); it != known.constEnd())
        return *it;
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    const QString entity = '&' + name + ';';
    document.setHtml(entity);
    const bool decodes = document.toRawText() != entity;
    if (known.size() > 4096)
        known.clear();  // a file of made-up names does not grow the memory without end
    known.insert(name, decodes);
    return decodes;
}

// The first named entity of the HTML that Qt leaves as written, or empty.
QString undecodedEntity(const QString& html)
{
    static const QRegularExpression entity(QStringLiteral("&([A-Za-z][A-Za-z0-9]{0,31});"));
    for (auto it = entity.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!qtDecodes(m.captured(1)))
            return m.captured(0);
    }
    return {};
}

}  // namespace

std::optional<TextFormat> giftFormat(QStringView tag)
{
    if (tag == u"moodle")
        return TextFormat::Moodle;
    if (tag == u"html")
        return TextFormat::Html;
    if (tag == u"plain")
        return TextFormat::Plain;
    if (tag == u"markdown")
        return TextFormat::Markdown;
    return std::nullopt;
}

QString htmlToText(const QString& html, QString* problem)
{
    // As a browser's tokenizer: '<' opens markup only before a letter, '/', '!' or '?' ("<50 m" is text, which
    // Qt would take for a tag), and '&' may start an entity. Text without either needs no parser.
    if (!html.contains('<') && !html.contains('&'))
        return oneLineText(html);
    QString prepared;
    prepared.reserve(html.size() + 16);
    bool markup = false;
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar c = html[i];
        if (c == '<') {
            const QChar next = i + 1 < html.size() ? html[i + 1] : QChar();
            if (isAsciiLetter(next) || next == '/' || next == '!' || next == '?') {
                prepared += c;
                markup = true;
            } else {
                prepared += QStringLiteral("&lt;");
            }
        } else if (c == '&') {
            prepared += c;
            markup = true;
        } else if (c.isSpace() && !isAsciiBlank(c) && c != QChar::Nbsp && c != QChar::LineSeparator &&
                   c != QChar::ParagraphSeparator) {
            const char32_t kept = kKeptBlankBase + c.unicode();
            prepared += QChar::highSurrogate(kept);
            prepared += QChar::lowSurrogate(kept);
        } else {
            prepared += c;
        }
    }
    if (!markup)
        return oneLineText(html);
    requireGui();
    if (problem && problem->isEmpty()) {
        const QString unknown = undecodedEntity(html);
        if (!unknown.isEmpty())
            *problem =
                QString("'%1' is an HTML entity that cannot be decoded; write the character itself").arg(unknown);
    }
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    document.setHtml(prepared);
    return documentText(document);
}

QString displayedText(const QString& text, TextFormat format, QString* problem)
{
    switch (format) {
        case TextFormat::Plain:
            return oneLineText(text);
        case TextFormat::Markdown: {
            requireGui();
            QTextDocument document;
            document.setUndoRedoEnabled(false);
#if QT_CONFIG(textmarkdownreader)
            document.setMarkdown(text);
#else
            document.setPlainText(text);  // a Qt built without Markdown shows the marks as written
#endif
            return documentText(document);
        }
        case TextFormat::Moodle:
        case TextFormat::Html:
            break;
    }
    return htmlToText(text, problem);
}

TextLines::TextLines(const QByteArray& bytes) : rest_(bytes)
{
    if (rest_.startsWith("\xEF\xBB\xBF"))
        rest_ = rest_.sliced(3);
    if (!rest_.contains('\n') && rest_.contains('\r'))
        separator_ = '\r';
}

bool TextLines::next(QString& line)
{
    if (done_)
        return false;
    const qsizetype end = rest_.indexOf(separator_);
    QByteArrayView raw = end < 0 ? rest_ : rest_.first(end);
    if (end < 0)
        done_ = true;
    else
        rest_ = rest_.sliced(end + 1);
    if (raw.endsWith('\r'))
        raw.chop(1);
    ++number_;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    line = utf8.decode(raw);
    if (utf8.hasError())
        throw BankError(QString("line %1: not valid UTF-8").arg(number_));
    return true;
}

QString oneLineText(const QString& text)
{
    // Only ASCII blanks and line breaks collapse, as in HTML: a non-breaking space between a number and its unit
    // stays.
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f\\x{2028}\\x{2029}]+"));
    return QString(text).replace(blanks, QStringLiteral(" ")).trimmed();
}

QString characterProblem(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        const QString code = "U+" + QString::number(c.unicode(), 16).toUpper().rightJustified(4, '0');
        if (c == QChar(0xFEFF))
            return QString("the invisible character U+FEFF (byte order mark)");
        if (c.isSurrogate())
            return QString("half of a surrogate pair (%1)").arg(code);
        if (c.category() == QChar::Other_Control)
            return QString("the control character %1").arg(code);
    }
    return {};
}

std::optional<int> numberFromName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{3,6})(?: – .+)?$"));
    const QRegularExpressionMatch m = form.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

QString correctLetter(ImportedQuestion& q)
{
    if (!q.problem.isEmpty())
        return {};
    if (q.text.isEmpty()) {
        q.problem = "the question text is empty";
        return {};
    }
    if (q.answers.size() != 3) {
        q.problem = QString("%1 answers; the bank needs exactly three").arg(q.answers.size());
        return {};
    }
    const QString fields[] = {q.text, q.answers[0].text, q.answers[1].text, q.answers[2].text, q.rule};
    const QString fieldNames[] = {"the question text", "answer a", "answer b", "answer c", "the Rule in its name"};
    for (int i = 0; i < 5; ++i)
        if (const QString what = characterProblem(fields[i]); !what.isEmpty()) {
            q.problem = QString("%1 holds %2").arg(fieldNames[i], what);
            return {};
        }
    int correct = -1;
    for (int i = 0; i < 3; ++i) {
        const Answer& a = q.answers[i];
        if (a.text.isEmpty()) {
            q.problem = QString("answer %1 is empty").arg(QChar('a' + i));
            return {};
        }
        if (std::abs(a.fraction - 1.0) < 1e-6) {
            if (correct >= 0) {
                q.problem = "more than one answer is fully correct";
                return {};
            }
            correct = i;
        } else if (a.fraction > 1e-6) {
            q.problem =
                QString("answer %1 gives partial credit; the bank knows only right and wrong").arg(QChar('a' + i));
            return {};
        }
    }
    if (correct < 0) {
        q.problem = "no answer is fully correct";
        return {};
    }
    return QString(QChar('A' + correct));
}

QImage questionPicture(const Question& q)
{
    try {
        return store::decodePicture(q.picture);
    } catch (const store::Error& e) {
        throw BankError(
            QString("%1: the picture cannot be read: %2").arg(q.number).arg(QString::fromStdString(e.what())));
    }
}

namespace {

// Whether a PNG file states its resolution: a pHYs chunk before the image data.
bool pngStatesResolution(QByteArrayView bytes)
{
    qsizetype at = 8;  // the signature
    while (at + 8 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.data() + at);
        const QByteArrayView type = bytes.sliced(at + 4, 4);
        if (type == "pHYs")
            return true;
        if (type == "IDAT" || length > quint32(bytes.size()))
            return false;
        at += 12 + qsizetype(length);
    }
    return false;
}

}  // namespace

QImage readPicture(QByteArrayView bytes, const QString& name, QString& problem)
{
    const QByteArray data = bytes.toByteArray();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QString unreadable =
        QString("the picture '%1' is not a PNG, JPEG, GIF or BMP picture that can be read").arg(name);
    if (format != "png" && format != "jpeg" && format != "gif" && format != "bmp") {
        problem = unreadable;
        return {};
    }
    const QSize size = reader.size();
    if (size.width() > kMaxImportedPictureSide || size.height() > kMaxImportedPictureSide) {
        problem = QString("the picture '%1' is too large: %2 × %3 pixels, where the limit is %4 × %4 pixels")
                      .arg(name)
                      .arg(size.width())
                      .arg(size.height())
                      .arg(kMaxImportedPictureSide);
        return {};
    }
    QImage image;
    if (!size.isValid() || !reader.read(&image) || image.isNull()) {
        problem = unreadable;
        return {};
    }
    const bool stated = format == "bmp" || (format == "png" && pngStatesResolution(bytes));
    if (!stated || image.dotsPerMeterX() <= 0 || image.dotsPerMeterY() <= 0) {
        image.setDotsPerMeterX(kBankDotsPerMeter);
        image.setDotsPerMeterY(kBankDotsPerMeter);
    }
    return image;
}

QByteArray bankPicture(const QImage& picture)
{
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    if (image.hasAlphaChannel()) {
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        painter.end();
        image = opaque;
    }
    const QSize limit(kMaxPictureWidth, kMaxPictureHeight);
    if (image.width() > limit.width() || image.height() > limit.height()) {
        // A photograph made smaller is smoothed; a bank drawing is never this large.
        image = image.scaled(image.size().scaled(limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    // A new image has the machine's resolution; the file keeps the picture's own.
    image.setDotsPerMeterX(picture.dotsPerMeterX());
    image.setDotsPerMeterY(picture.dotsPerMeterY());
    return store::encodeBmp(image);
}

}  // namespace bank
