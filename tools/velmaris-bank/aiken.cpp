#include "velmaris-bank/aiken.h"

#include <QRegularExpression>

#include "velmaris-bank/bank_error.h"

namespace bank {

TextExport writeAiken(const QList<Question>& questions)
{
    TextExport out;
    QString text;
    for (const Question& q : questions) {
        if (pictureNeeded(q)) {
            out.leftOut.append(q.number);
            continue;
        }
        if (!text.isEmpty())
            text += '\n';
        text += oneLineText(q.text) + '\n';
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
    static const QRegularExpression option(QStringLiteral("^([A-Za-z])[.)]\\s+(.*)$"));
    static const QRegularExpression answerLine(QStringLiteral("^ANSWER:\\s*(\\S*)\\s*$"));
    const QStringList lines = textLines(bytes);
    QList<ImportedQuestion> questions;
    bool open = false;
    ImportedQuestion q;
    QString letters;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i + 1);
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (const QRegularExpressionMatch m = answerLine.match(line); m.hasMatch()) {
            if (!open || q.answers.isEmpty())
                throw BankError(QString("line %1: 'ANSWER:' without a question and its answers before it").arg(lineNo));
            const QString letter = m.captured(1).toUpper();
            const qsizetype at = letter.size() == 1 ? letters.indexOf(letter) : -1;
            if (at < 0)
                q.problem = QString("ANSWER: '%1' is not the letter of one of its answers").arg(m.captured(1));
            else
                q.answers[at].fraction = 1.0;
            questions.append(q);
            open = false;
            continue;
        }
        const QRegularExpressionMatch m = option.match(line);
        if (open && m.hasMatch()) {
            letters += m.captured(1).toUpper();
            q.answers.append({oneLineText(m.captured(2)), 0.0});
            continue;
        }
        if (open && !q.answers.isEmpty())
            throw BankError(QString("line %1: the question at line %2 has no 'ANSWER:' line").arg(lineNo).arg(q.line));
        if (open) {
            q.text = oneLineText(q.text + ' ' + line);  // a question broken over lines is read as one
            q.name = q.text.left(40);
            continue;
        }
        if (m.hasMatch() && m.captured(1).toUpper() == "A")
            throw BankError(QString("line %1: an answer before any question").arg(lineNo));
        q = ImportedQuestion();
        q.line = lineNo;
        q.text = oneLineText(line);
        q.name = q.text.left(40);
        letters.clear();
        open = true;
    }
    if (open)
        throw BankError(QString("line %1: the question at line %1 has no 'ANSWER:' line").arg(q.line));
    return questions;
}

}  // namespace bank
