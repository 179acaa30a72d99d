#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/source/source_format.h"

namespace bank {

enum class ExchangeFormat { MoodleXml, Gift, Aiken };

// "moodle-xml", "gift", "aiken"; nullopt for anything else.
std::optional<ExchangeFormat> formatFromName(const QString& name);
QString formatName(ExchangeFormat format);

// The format of a file by its name (.xml, .gift) or else by its content: XML starts with '<', Aiken has
// "ANSWER:" lines and no answer block in braces, GIFT otherwise.
ExchangeFormat guessFormat(const QString& path, QByteArrayView bytes);

// The questions of an exchange file, each valid one with its correct letter set.
struct ReadExchange {
    QList<ImportedQuestion> valid;
    QList<QString> keys;  // the correct letter of each valid question
    QList<ImportedQuestion> invalid;
};

// The questions a reader found, sorted: a question is valid when it keeps the bank's rule (correctLetter) and
// its record reads back from a source file exactly as written, so that build takes whatever import writes.
ReadExchange sortQuestions(QList<ImportedQuestion> questions);

// Throws BankError "FILE:line: ..." when the file is malformed.
ReadExchange readExchangeFile(const QString& path, std::optional<ExchangeFormat> format);

// The records the valid questions become, in one file "NNN-MMM-importate.txt". Their numbers are those their
// names carry ("131 – Regula 23(a)", as export writes them) when every valid question has one, all differ
// and none is taken; otherwise they number on from first, or after the highest taken number. The records
// stand in number order; a question with a picture has the picture line "NNN.bmp | file". They are made one
// at a time (record), and the source file from them (sourceBytes), so that a large import is not held twice.
struct ImportedRecords {
    QList<qsizetype> order;  // the index in read.valid of the question of each record, in file order
    QList<int> numbers;      // the number of each valid question, by its index in read.valid
    QString file;
    int first = 0;
    int last = -1;
    bool numbersFromNames = false;

    qsizetype size() const { return order.size(); }
    // The k-th record of the file.
    SourceRecord record(const ReadExchange& read, qsizetype k) const;
    // The source file's bytes, as writeSourceFiles writes these records; writeSource writes them to a device
    // as they are made. False when the device refuses them.
    QByteArray sourceBytes(const ReadExchange& read) const;
    bool writeSource(const ReadExchange& read, QIODevice& device) const;
};
ImportedRecords importedRecords(const ReadExchange& read, const QSet<int>& taken, std::optional<int> first);

struct ImportResult {
    QString file;          // the source file written, relative to the folder
    QStringList pictures;  // pictures/NNN.bmp written
    int first = 0;
    int last = -1;
    bool numbersFromNames = false;
};

// Writes the valid questions as the records importedRecords makes, the taken numbers being those of the folder's
// sources, each picture as pictures/NNN.bmp. Throws BankError, writing nothing, when a number or a file is taken
// already.
ImportResult writeImported(const ReadExchange& read, const QString& folder, std::optional<int> first);

}  // namespace bank
