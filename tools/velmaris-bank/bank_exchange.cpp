#include "velmaris-bank/bank_exchange.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

#include "store/error.h"
#include "store/picture.h"
#include "velmaris-bank/bank_check.h"
#include "velmaris-bank/bank_error.h"
#include "velmaris-bank/bank_parts.h"

namespace bank {
namespace {

const QString kNameDash = QStringLiteral(" – ");
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

QString htmlToText(const QString& html)
{
    static const QRegularExpression comment(QStringLiteral("<!--.*?-->"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString text = html;
    text.remove(comment);
    text.replace(tag, QStringLiteral(" "));

    QString decoded;
    decoded.reserve(text.size());
    qsizetype at = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        decoded += text.mid(at, m.capturedStart() - at);
        at = m.capturedEnd();
        const QString name = m.captured(1);
        char32_t code = 0;
        if (name.startsWith(QStringLiteral("#x")) || name.startsWith(QStringLiteral("#X")))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith('#'))
            code = name.mid(1).toUInt();
        else if (name == "amp")
            code = '&';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name == "nbsp")
            code = 0xA0;
        if (code == 0 || code > 0x10FFFF) {
            decoded += m.captured(0);  // an entity we do not know stays as written
            continue;
        }
        decoded += QString::fromUcs4(&code, 1);
    }
    decoded += text.mid(at);
    return oneLineText(decoded);
}

QStringList textLines(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringList lines;
    const QList<QByteArray> raw = body.split('\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = utf8.decode(raw[i]);
        if (utf8.hasError())
            throw BankError(QString("line %1: not valid UTF-8").arg(i + 1));
        if (line.endsWith('\r'))
            line.chop(1);
        lines << line;
    }
    return lines;
}

QString oneLineText(const QString& text)
{
    // Only ASCII blanks collapse, as in HTML: a non-breaking space between a number and its unit stays.
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\r\\n\\f]+"));
    return QString(text).replace(blanks, QStringLiteral(" ")).trimmed();
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
    return store::encodeBmp(image);
}

}  // namespace bank
