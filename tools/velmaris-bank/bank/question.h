#pragma once

#include <QByteArray>
#include <QString>

namespace bank {

// One row of Intrebari, as built from the sources or read from a database.
struct Question {
    qint64 number = 0;
    bool numberValid = true;  // false: the Nr_Intreb field of a database held no whole number
    QString numberText;       // the field as it was, for messages about an invalid number
    QString text;             // Intrebare
    QString sol1;
    QString sol2;
    QString sol3;
    QByteArray picture;  // Poza: BMP bytes, empty when the question has no picture
    QString r1;          // the Rule paragraph
    QString r2;          // the picture line after "PIC: ", so that export can write it back
    QString r3;          // where the record stood in the sources (see source_format.h)
    QString rb;          // the correct letter
};

}  // namespace bank
