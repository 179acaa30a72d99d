#include "velmaris-bank/formats/gift.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

const QString kSpecial = QStringLiteral("~=#{}:");

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == '\\' || kSpecial.contains(c))
            out += '\\';
        out += c;
    }
    return out;
}

// Escapes undone: "\n" is a line break, any other escaped character stands for itself.
QString unescaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? QChar('\n') : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// The position of the first of these characters at or after from that is not escaped, or -1.
qsizetype findUnescaped(const QString& text, const QString& any, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (any.contains(text[i]))
            return i;
    }
    return -1;
}

qsizetype findUnescapedPair(const QString& text, const QString& pair, qsizetype from)
{
    for (qsizetype i = from; i + 1 < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text.mid(i, 2) == pair)
            return i;
    }
    return -1;
}

// A leading format tag ("[html]") taken off a trimmed text, as Moodle takes it: only the four names it knows,
// written exactly so; anything else stays text and the fallback holds.
TextFormat takeFormat(QString& text, TextFormat fallback)
{
    if (!text.startsWith('['))
        return fallback;
    const qsizetype end = text.indexOf(']');
    const std::optional<TextFormat> format = end < 0 ? std::nullopt : giftFormat(QStringView(text).mid(1, end - 1));
    if (!format)
        return fallback;
    text = text.mid(end + 1).trimmed();
    return *format;
}

class QuestionParser {
public:
    QuestionParser(const QString& block, int line) : block_(block), line_(line) {}

    ImportedQuestion parse()
    {
        q_.line = line_;
        QString rest = block_.trimmed();
        if (rest.startsWith(QStringLiteral("::"))) {
            const qsizetype end = findUnescapedPair(rest, QStringLiteral("::"), 2);
            if (end < 0)
                malformed("the title '::' is not closed");
            q_.name = oneLineText(unescaped(rest.mid(2, end - 2)));
            rest = rest.mid(end + 2).trimmed();
        }
        const qsizetype open = findUnescaped(rest, QStringLiteral("{}"));
        if (open >= 0 && rest[open] == '}')
            malformed("a '}' without its '{'; write \\} for the character");
        const qsizetype close = open < 0 ? -1 : findUnescaped(rest, QStringLiteral("{}"), open + 1);
        if (open >= 0 && (close < 0 || rest[close] == '{'))
            malformed("the answer block '{' is not closed");
        if (close >= 0 && findUnescaped(rest, QStringLiteral("{}"), close + 1) >= 0)
            malformed("more than one answer block in a question");

        // Moodle's reading: the answer block taken out of the text, "_____" in its place when text follows it
        // (a missing-word question), then the format tag at the start of what is left.
        QString stem = rest;
        if (open >= 0) {
            const QString after = rest.mid(close + 1);
            stem = rest.left(open) + (after.trimmed().isEmpty() ? QString() : QStringLiteral("_____") + after);
        }
        stem = stem.trimmed();
        format_ = takeFormat(stem, TextFormat::Moodle);
        q_.text = text(stem, format_);
        q_.rule = ruleFromName(q_.name);
        q_.number = numberFromName(q_.name);
        if (q_.name.isEmpty())
            q_.name = q_.text.left(40);
        if (open < 0) {
            q_.problem = "a description without answers, not a question";
            return q_;
        }
        answers(rest.mid(open + 1, close - open - 1));
        return q_;
    }

private:
    [[noreturn]] void malformed(const QString& what) const
    {
        throw BankError(QString("line %1: %2").arg(line_).arg(what));
    }

    // A text as Moodle shows it; an entity it cannot decode becomes the question's problem.
    QString text(const QString& raw, TextFormat format)
    {
        QString problem;
        const QString shown = displayedText(unescaped(raw), format, &problem);
        if (q_.problem.isEmpty())
            q_.problem = problem;
        return shown;
    }

    void answers(const QString& body)
    {
        const QString inside = body.trimmed();
        static const QRegularExpression trueFalse(QStringLiteral("^(T|F|TRUE|FALSE)(#.*)?$"),
                                                  QRegularExpression::DotMatchesEverythingOption);
        // The question's kind, decided as Moodle decides it.
        if (inside.isEmpty()) {
            q_.problem = "an essay question, not multiple choice";
            return;
        }
        if (inside.startsWith('#')) {
            q_.problem = "a numerical question, not multiple choice";
            return;
        }
        if (findUnescaped(inside, QStringLiteral("~")) < 0) {
            if (findUnescaped(inside, QStringLiteral("=")) >= 0 &&
                findUnescapedPair(inside, QStringLiteral("->"), 0) >= 0)
                q_.problem = "a matching question, not multiple choice";
            else if (trueFalse.match(inside).hasMatch())
                q_.problem = "a true/false question, not multiple choice";
            else
                q_.problem = "a short-answer question, not multiple choice";
            return;
        }
        // Answers start at each '~' or '='; text before the first is an answer too, a wrong one.
        QStringList items;
        qsizetype from = 0;
        for (qsizetype at = findUnescaped(inside, QStringLiteral("=~")); at >= 0;
             at = findUnescaped(inside, QStringLiteral("=~"), at + 1)) {
            items << inside.mid(from, at - from);
            from = inside[at] == '~' ? at + 1 : at;
        }
        items << inside.mid(from);
        if (items.first().trimmed().isEmpty())
            items.removeFirst();
        for (const QString& each : items) {
            QString item = each.trimmed();
            Answer a;
            if (item.startsWith('=')) {
                a.fraction = 1.0;
                item = item.mid(1);
            } else if (const QRegularExpressionMatch m = weight().match(item); m.hasMatch()) {
                // The weight is what stands between the two '%', as Moodle's reader takes it.
                const qsizetype second = item.indexOf('%', 1);
                bool ok = false;
                const double percent = item.mid(1, second - 1).toDouble(&ok);
                a.fraction = ok ? percent / 100.0 : 0.0;
                item = item.mid(second + 1);
            }
            const qsizetype feedback = findUnescaped(item, QStringLiteral("#"));
            QString answer = (feedback >= 0 ? item.left(feedback) : item).trimmed();
            const TextFormat format = takeFormat(answer, format_);
            a.text = text(answer, format);
            q_.answers.append(a);
        }
    }

    // Moodle's answer weight: "%50%", "%-33.33333%", "%100%".
    static const QRegularExpression& weight()
    {
        static const QRegularExpression form(QStringLiteral("^%-*([0-9]{1,2})\\.?([0-9]*)%"));
        return form;
    }

    QString block_;
    int line_;
    TextFormat format_ = TextFormat::Moodle;
    ImportedQuestion q_;
};

// The texts of one question as a GIFT writer must mark them.
bool startsWithFormatTag(const QString& text)
{
    const qsizetype end = text.indexOf(']');
    return text.startsWith('[') && end > 0 && giftFormat(QStringView(text).mid(1, end - 1));
}

bool htmlWouldChange(const QString& text)
{
    return text.contains('<') || text.contains('&');
}

}  // namespace

TextExport writeGift(const QList<Question>& questions)
{
    TextExport out;
    QString text = QStringLiteral("// RIPPAM: întrebările băncii Velmaris care nu au nevoie de imagine.\n");
    QString category;
    for (const Question& q : questions) {
        if (pictureNeeded(q)) {
            out.leftOut.append(q.number);
            continue;
        }
        const QString c = colregCategory(q.r1, q.number);
        if (c != category) {
            text += "\n$CATEGORY: $course$/top/RIPPAM/" + c + "\n";
            category = c;
        }
        const QString stem = oneLineText(q.text);
        const QString variants[] = {oneLineText(q.sol1), oneLineText(q.sol2), oneLineText(q.sol3)};
        // Answers take the question's format: one "[plain]" keeps all four texts as they are.
        const bool plain = startsWithFormatTag(stem) ||
                           std::any_of(std::begin(variants), std::end(variants), htmlWouldChange) ||
                           htmlWouldChange(stem);
        text +=
            "\n::" + escaped(exchangeName(q.number, q.r1)) + "::" + (plain ? "[plain]" : "") + escaped(stem) + " {\n";
        for (int i = 0; i < 3; ++i) {
            const bool tagged = variants[i].startsWith('%') || startsWithFormatTag(variants[i]);
            text += QString("\t%1%2%3\n")
                        .arg(q.rb == QString(QChar('A' + i)) ? '=' : '~')
                        .arg(tagged ? "[plain]" : "")
                        .arg(escaped(variants[i]));
        }
        text += "}\n";
    }
    out.bytes = text.toUtf8();
    return out;
}

QList<ImportedQuestion> readGift(const QByteArray& bytes)
{
    TextLines lines(bytes);
    QList<ImportedQuestion> questions;
    QStringList block;
    int blockLine = 0;
    const auto finish = [&]() {
        if (block.isEmpty())
            return;
        questions.append(QuestionParser(block.join('\n'), blockLine).parse());
        block.clear();
    };
    QString line;
    while (lines.next(line)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QStringLiteral("//")))
            continue;
        if (trimmed.isEmpty()) {
            finish();
            continue;
        }
        if (block.isEmpty() && trimmed.startsWith(QStringLiteral("$CATEGORY:")))
            continue;  // the bank files questions by their number, not by category
        if (block.isEmpty())
            blockLine = lines.number();
        block << line;
    }
    finish();
    return questions;
}

}  // namespace bank
