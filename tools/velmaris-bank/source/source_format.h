#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace bank {

// The bank sources: every *.txt file of a folder, in file-name order, in the record format of
// bank/README.md:
//
//   NR: 131  RULE: 23(a)
//   Q: ...
//   a) ...
//   b) ...
//   c) ...
//   OK: C
//   PIC: 131.bmp | night; kind=power; len=60; aspect=stbd-bow      (optional)
//
// Each key line is the key, one space, then the text as it goes into the database.

// What the database fields do not hold about a record's place in its file: its file name, the comment
// and blank lines around it and the spacing of its NR: line. Build keeps it in R3 as a compact JSON object
// with only the items that differ from the usual layout, e.g. {"file":"114-203-lumini.txt"}; export
// uses it to write every file back byte for byte. Items: "file"; "lead" (lines before the NR: line; usually
// none for the first record of a file and one blank line for the others); "gap" (between the number and
// RULE:, usually two spaces); "inner" (comment lines inside the record, as [key lines before it, text]);
// "tail" and "eol" (lines after the last record of the file, and false when the file does not end in a
// line break); "bom" (true when the file starts with a UTF-8 byte order mark).
struct Layout {
    QString file;
    std::optional<QStringList> lead;  // absent: the usual lead for the record's place
    QString gap = QStringLiteral("  ");
    QList<QPair<int, QString>> inner;
    QStringList tail;
    bool finalNewline = true;
    bool bom = false;
};

struct SourceRecord {
    QString file;
    int line = 0;  // of the NR: line
    int number = 0;
    QString rule;
    QString question;
    QString a;
    QString b;
    QString c;
    QString key;
    std::optional<QString> picture;  // the text after "PIC: "
    int pictureLine = 0;
    Layout layout;
};

struct SourceFault {
    QString file;
    int line = 0;
    QString fault;
    QString toString() const;  // "file:line: fault"
};

struct SourceBank {
    QStringList files;
    QList<SourceRecord> records;  // in file order, each file in line order
    QList<SourceFault> faults;
    QHash<int, QString> firstUse;  // number -> "file:line", to name duplicates
};

// Reads every *.txt file of a folder; throws BankError when the folder is missing or has no *.txt file.
// Malformed records are left out and reported in faults with their file, line and what is wrong.
SourceBank readSourceFolder(const QString& folder);

// Adds one file's records (and faults) to a bank.
void parseSourceFile(const QString& fileName, const QByteArray& bytes, SourceBank& bank);

// "012.bmp": the picture file name of a question.
QString pictureFileName(qint64 number);

// The folder beside the sources that holds the pictures of file scenes.
inline constexpr char kPictureFolder[] = "pictures";

// "pictures/012.bmp": where the picture of a question's file scene lies, relative to the sources.
QString picturePath(qint64 number);

// The "NNN.bmp" and description halves of a PIC line; nullopt when there is no "|".
std::optional<QPair<QString, QString>> splitPictureLine(const QString& line);

// R3 of a record: first and last say where it stands in its file (they decide what is usual).
QString layoutToText(const Layout& layout, bool first, bool last);

// Reads R3 back. A field that is empty, not ours or names an unsafe file gives the usual layout in the file
// of the question's Part.
Layout layoutFromText(const QString& text, qint64 number);

struct SourceFile {
    QString name;
    QByteArray bytes;
};

// The files the records make, each record in the file its layout names, files in order of first use and
// records in the order given.
QList<SourceFile> writeSourceFiles(const QList<SourceRecord>& records);

}  // namespace bank
