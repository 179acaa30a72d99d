#pragma once

// What the exchange formats (Moodle XML, GIFT, Aiken) share: the names and categories questions travel under,
// and the question a reader hands to the import.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "velmaris-bank/bank/question.h"

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

// Moodle's text formats: GIFT names them in a leading tag ("[html]"), Moodle XML in the format attribute.
enum class TextFormat { Moodle, Html, Plain, Markdown };

// The format a GIFT tag names ("moodle", "html", "plain", "markdown"); nullopt for anything else.
std::optional<TextFormat> giftFormat(QStringView tag);

// The text a reader sees when Moodle shows a text of this format, as one line: HTML (and Moodle's own format,
// which is HTML with line breaks) parsed by Qt as a browser would, tags dropped and every entity decoded;
// Markdown through Qt's Markdown reader; plain text as written. Then blanks and line breaks collapse as in
// oneLineText; a non-breaking space stays. When problem is given, it is set for an entity that Qt cannot
// decode ("&abreve;"), which would otherwise stay in the text as written.
// Parsing HTML or Markdown needs a QGuiApplication (Qt's text document asks it for fonts); without one it
// throws BankError.
QString displayedText(const QString& text, TextFormat format, QString* problem = nullptr);

// displayedText of HTML.
QString htmlToText(const QString& html, QString* problem = nullptr);

// The lines of a UTF-8 text file one at a time, without their line breaks: a leading byte order mark is
// dropped, "\r\n" is one break, and a file with only "\r" breaks (an old Macintosh file) is read by them,
// as Moodle reads it. Reads in place, so that a large file is not held twice.
class TextLines {
public:
    explicit TextLines(const QByteArray& bytes);
    // The next line; false after the last. Throws BankError "line N: not valid UTF-8".
    bool next(QString& line);
    // The number of the line last read, from 1.
    int number() const { return number_; }

private:
    QByteArrayView rest_;
    char separator_ = '\n';
    bool done_ = false;
    int number_ = 0;
};

// Runs of line breaks (also U+2028 and U+2029), tabs and spaces made one space and the ends trimmed: source
// fields are one line.
QString oneLineText(const QString& text);

// What in a text no source field may hold, or empty: a control character, the byte order mark U+FEFF (build
// refuses it) or half of a surrogate pair. Named with its code, e.g. "the invisible character U+FEFF".
QString characterProblem(const QString& text);

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
    QString name;               // the question's name, or the start of its text when it has none
    std::optional<int> number;  // the number a name of ours carries ("131 – Regula 23(a)")
    int line = 0;               // where it starts in the file
    QString text;
    QList<Answer> answers;
    QString rule;
    QByteArray picture;  // the picture's file as it came, read by readPicture; empty without one
    QString problem;     // why it cannot become a record; empty when it can
};

// The number of a name of ours: "131 – Regula 23(a)", or "131" for a question without a Rule.
std::optional<int> numberFromName(const QString& name);

// Checks the rule of the bank: exactly three answers, one of them fully correct and the others wrong, no empty
// text and no character a source field cannot hold. Sets problem when it is broken; returns the correct letter
// ("A", "B", "C") when it is not.
QString correctLetter(ImportedQuestion& q);

// The picture of a question as an image. Throws BankError naming the question when its bytes are no picture.
QImage questionPicture(const Question& q);

// The largest picture import takes, on either side: far above the picture view, below what would take
// hundreds of megabytes to decode.
inline constexpr int kMaxImportedPictureSide = 4096;

// A picture file of a question (PNG, JPEG, GIF or BMP), decoded. Its size is read from the header first: a
// picture larger than kMaxImportedPictureSide on a side is refused before it is decoded. Sets problem, naming
// the picture, and returns a null image when it cannot be taken. The image keeps the resolution its file
// states (a PNG's pHYs, a BMP's header); any other is 96 dpi, the bank's, so that the result never depends
// on the machine.
QImage readPicture(QByteArrayView bytes, const QString& name, QString& problem);

// A picture as the bank stores it: opaque, no larger than the test window's picture view, keeping its aspect
// and its resolution, as a 24-bit BMP.
QByteArray bankPicture(const QImage& picture);

}  // namespace bank
