#include "velmaris-bank/formats/aiken.h"

#include <QRegularExpression>

#include "velmaris-bank/bank/bank_error.h"

namespace bank {
namespace {

// An answer line as Moodle's Aiken reader knows one: a capital letter, ')' or '.', then at most one blank
// before the text ("A) Unu", "A)Unu", "A. Unu").
const QRegularExpression& optionLine()
{
    static const QRegularExpression option(QStringLiteral("^([A-Z])[.)][ \\t]?(.*)$"));
    return option;
}

bool isAnswerLine(const QString& line)
{
    return line.startsWith(QStringLiteral("ANSWER:"));
}

// Moodle skips a line shorter than two bytes.
bool tooShort(const QString& line)
{
    return line.toUtf8().size() < 2;
}

}  // namespace

TextExport writeAiken(const QList<Question>& questions)
{
    TextExport out;
    QString text;
    for (const Question& q : questions) {
        if (pictureNeeded(q)) {
            out.leftOut.append(q.number);
            continue;
        }
        // Aiken has no escapes: a question that reads as an answer or an ANSWER line, or that Moodle skips,
        // cannot be written.
        const QString stem = oneLineText(q.text);
        if (optionLine().match(stem).hasMatch() || isAnswerLine(stem) || tooShort(stem)) {
            out.misread.append(q.number);
            continue;
        }
        if (!text.isEmpty())
            text += '\n';
        text += stem + '\n';
        text += "A. " + oneLineText(q.sol1) + '\n';
        text += "B. " + oneLineText(q.sol2) + '\n';
        text += "C. " + oneLineText(q.sol3) + '\n';
        text += "ANSWER: " + q.rb + '\n';
    }
    out.bytes = text.toUtf8();
    return out;
}

QList<ImportedQuestion> readAiken(const QByteArray& bytes)
{
    static const QRegularExpression answerLine(QStringLiteral("^ANSWER:\\s*(\\S*)"));
    TextLines lines(bytes);
    QList<ImportedQuestion> questions;
    bool open = false;
    ImportedQuestion q;
    QStringList stemLines;  // a question broken over lines is read as one, joined once
    const auto stem = [&]() {
        if (!stemLines.isEmpty()) {
            q.text = oneLineText(stemLines.join(' '));
            q.name = q.text.left(40);
            stemLines.clear();
        }
    };
    QString raw;
    while (lines.next(raw)) {
        const int lineNo = lines.number();
        // Moodle's reader also breaks lines at a carriage return inside one.
        for (const QString& piece : raw.split('\r')) {
            const QString line = piece.trimmed();
            if (tooShort(line))
                continue;
            const QRegularExpressionMatch option = optionLine().match(line);
            if (option.hasMatch()) {
                if (!open)
                    throw BankError(QString("line %1: an answer before any question").arg(lineNo));
                stem();
                q.answers.append({oneLineText(option.captured(2)), 0.0});
                continue;
            }
            if (const QRegularExpressionMatch m = answerLine.match(line); m.hasMatch()) {
                if (!open || q.answers.isEmpty())
                    throw BankError(
                        QString("line %1: 'ANSWER:' without a question and its answers before it").arg(lineNo));
                // As Moodle: the letter counts the answers in their order, A the first.
                const QString letter = m.captured(1);
                const int at = letter.isEmpty() ? -1 : letter.at(0).unicode() - 'A';
                if (letter.size() != 1 || at < 0 || at >= q.answers.size())
                    q.problem = QString("ANSWER: '%1' is not the letter of one of its answers").arg(letter);
                else
                    q.answers[at].fraction = 1.0;
                questions.append(q);
                open = false;
                continue;
            }
            if (open && !q.answers.isEmpty())
                throw BankError(
                    QString("line %1: the question at line %2 has no 'ANSWER:' line").arg(lineNo).arg(q.line));
            if (!open) {
                q = ImportedQuestion();
                q.line = lineNo;
                open = true;
            }
            stemLines.append(line);
        }
    }
    if (open)
        throw BankError(QString("line %1: the question at line %1 has no 'ANSWER:' line").arg(q.line));
    return questions;
}

}  // namespace bank
