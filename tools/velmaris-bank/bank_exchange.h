#pragma once

// What the exchange formats (Moodle XML, GIFT, Aiken) share: the names and categories questions travel under,
// and the question a reader hands to the import.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include "velmaris-bank/question.h"

namespace bank {

// "Regula 23(a)" for a paragraph of a Rule, the reference as it is otherwise ("Anexa I 2(f)").
QString ruleTitle(const QString& rule);

// "131 – Regula 23(a)", "255 – Anexa I 2(f)": the name a question carries in Moodle and GIFT.
QString exchangeName(qint64 number, const QString& rule);

// The Rule paragraph back from such a name; empty when the name is not one of ours.
QString ruleFromName(const QString& name);

// The category of a question: its Part of the Rules from the Rule reference ("Partea C – Lumini și semne"),
// "Anexe" for the annexes, or from the number's Part when the reference names no Rule.
QString colregCategory(const QString& rule, qint64 number);

// The plain text of an HTML fragment: tags dropped, entities decoded, runs of blanks and line breaks made one
// space, no blank at either end. A non-breaking space stays what it is.
QString htmlToText(const QString& html);

// The lines of a UTF-8 text file (a leading byte order mark and carriage returns dropped). Throws BankError
// naming the first line that is not valid UTF-8.
QStringList textLines(const QByteArray& bytes);

// Runs of line breaks, tabs and spaces made one space and the ends trimmed: source fields are one line.
QString oneLineText(const QString& text);

// Whether a question is answered from its picture. Every bank picture is: the stems point at „imaginea”.
inline bool pictureNeeded(const Question& q)
{
    return !q.picture.isEmpty();
}

struct Answer {
    QString text;
    double fraction = 0;  // 1 fully correct, 0 wrong; Moodle also knows partial and negative credit
};

// One question as a reader found it in an exchange file.
struct ImportedQuestion {
    QString name;  // the question's name, or the start of its text when it has none
    int line = 0;  // where it starts in the file
    QString text;
    QList<Answer> answers;
    QString rule;
    QImage picture;   // null without one
    QString problem;  // why it cannot become a record; empty when it can
};

// Checks the rule of the bank: exactly three answers, one of them fully correct and the others wrong, and no
// empty text. Sets problem when it is broken; returns the correct letter ("A", "B", "C") when it is not.
QString correctLetter(ImportedQuestion& q);

// The picture of a question as an image. Throws BankError naming the question when its bytes are no picture.
QImage questionPicture(const Question& q);

// A picture as the bank stores it: opaque, no larger than the test window's picture view, keeping its aspect,
// as a 24-bit BMP.
QByteArray bankPicture(const QImage& picture);

}  // namespace bank
