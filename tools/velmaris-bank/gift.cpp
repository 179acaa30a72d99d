#include "velmaris-bank/gift.h"

#include <QRegularExpression>

#include "velmaris-bank/bank_error.h"

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

class QuestionParser {
public:
    QuestionParser(const QString& block, int line) : block_(block), line_(line) {}

    ImportedQuestion parse()
    {
        q_.line = line_;
        QString rest = block_;
        if (rest.startsWith(QStringLiteral("::"))) {
            const qsizetype end = findUnescapedPair(rest, QStringLiteral("::"), 2);
            if (end < 0)
                malformed("the title '::' is not closed");
            q_.name = oneLineText(unescaped(rest.mid(2, end - 2)));
            rest = rest.mid(end + 2);
        }
        QString format;
        static const QRegularExpression formatTag(QStringLiteral("^\\s*\\[(html|moodle|plain|markdown)\\]"));
        if (const QRegularExpressionMatch m = formatTag.match(rest); m.hasMatch()) {
            format = m.captured(1);
            rest = rest.mid(m.capturedEnd());
        }
        const qsizetype open = findUnescaped(rest, QStringLiteral("{}"));
        if (open >= 0 && rest[open] == '}')
            malformed("a '}' without its '{'; write \\} for the character");
        const qsizetype close = open < 0 ? -1 : findUnescaped(rest, QStringLiteral("{}"), open + 1);
        if (open >= 0 && (close < 0 || rest[close] == '{'))
            malformed("the answer block '{' is not closed");
        if (close >= 0 && findUnescaped(rest, QStringLiteral("{}"), close + 1) >= 0)
            malformed("more than one answer block in a question");

        const QString before = open < 0 ? rest : rest.left(open);
        const QString after = close < 0 ? QString() : rest.mid(close + 1);
        QString text = clean(before, format);
        if (!oneLineText(after).isEmpty())
            text = text + " _____ " + clean(after, format);  // a missing-word question
        q_.text = oneLineText(text);
        q_.rule = ruleFromName(q_.name);
        if (q_.name.isEmpty())
            q_.name = q_.text.left(40);
        if (open < 0) {
            q_.problem = "a description without answers, not a question";
            return q_;
        }
        answers(rest.mid(open + 1, close - open - 1), format);
        return q_;
    }

private:
    [[noreturn]] void malformed(const QString& what) const
    {
        throw BankError(QString("line %1: %2").arg(line_).arg(what));
    }

    static QString clean(const QString& text, const QString& format)
    {
        const QString plain = unescaped(text);
        return format == "html" ? htmlToText(plain) : oneLineText(plain);
    }

    void answers(const QString& body, const QString& format)
    {
        const QString inside = body.trimmed();
        static const QRegularExpression trueFalse(QStringLiteral("^(T|F|TRUE|FALSE)(#.*)?$"),
                                                  QRegularExpression::DotMatchesEverythingOption);
        if (inside.isEmpty()) {
            q_.problem = "an essay question, not multiple choice";
            return;
        }
        if (inside.startsWith('#')) {
            q_.problem = "a numerical question, not multiple choice";
            return;
        }
        if (trueFalse.match(inside).hasMatch()) {
            q_.problem = "a true/false question, not multiple choice";
            return;
        }
        bool anyWrong = false;
        qsizetype at = findUnescaped(inside, QStringLiteral("=~"));
        if (at != 0) {
            q_.problem = "the answer block does not start with '=' or '~'";
            return;
        }
        while (at >= 0) {
            const qsizetype next = findUnescaped(inside, QStringLiteral("=~"), at + 1);
            const QString item = inside.mid(at + 1, next < 0 ? -1 : next - at - 1);
            const bool right = inside[at] == '=';
            anyWrong = anyWrong || !right;
            if (findUnescapedPair(item, QStringLiteral("->"), 0) >= 0) {
                q_.problem = "a matching question, not multiple choice";
                return;
            }
            Answer a;
            a.fraction = right ? 1.0 : 0.0;
            QString answer = item;
            const qsizetype feedback = findUnescaped(answer, QStringLiteral("#"));
            if (feedback >= 0)
                answer = answer.left(feedback);
            static const QRegularExpression weight(QStringLiteral("^\\s*%(-?[0-9]+(?:[.,][0-9]+)?)%"));
            if (const QRegularExpressionMatch m = weight.match(answer); m.hasMatch()) {
                a.fraction = QString(m.captured(1)).replace(',', '.').toDouble() / 100.0;
                answer = answer.mid(m.capturedEnd());
            }
            a.text = clean(answer, format);
            q_.answers.append(a);
            at = next;
        }
        if (!anyWrong)
            q_.problem = "a short-answer question, not multiple choice";
    }

    QString block_;
    int line_;
    ImportedQuestion q_;
};

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
        const QString variants[] = {q.sol1, q.sol2, q.sol3};
        text += "\n::" + escaped(exchangeName(q.number, q.r1)) + "::" + escaped(oneLineText(q.text)) + " {\n";
        for (int i = 0; i < 3; ++i)
            text += QString("\t%1%2\n")
                        .arg(q.rb == QString(QChar('A' + i)) ? '=' : '~')
                        .arg(escaped(oneLineText(variants[i])));
        text += "}\n";
    }
    out.bytes = text.toUtf8();
    return out;
}

QList<ImportedQuestion> readGift(const QByteArray& bytes)
{
    const QStringList lines = textLines(bytes);
    QList<ImportedQuestion> questions;
    QStringList block;
    int blockLine = 0;
    const auto finish = [&]() {
        if (block.isEmpty())
            return;
        questions.append(QuestionParser(block.join('\n'), blockLine).parse());
        block.clear();
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
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
            blockLine = int(i + 1);
        block << line;
    }
    finish();
    return questions;
}

}  // namespace bank
