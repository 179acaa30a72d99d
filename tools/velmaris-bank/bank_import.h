#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "velmaris-bank/bank_exchange.h"

namespace bank {

enum class ExchangeFormat { MoodleXml, Gift, Aiken };

// "moodle-xml", "gift", "aiken"; nullopt for anything else.
std::optional<ExchangeFormat> formatFromName(const QString& name);
QString formatName(ExchangeFormat format);

// The format of a file by its name (.xml, .gift) or else by its content: XML starts with '<', Aiken has
// "ANSWER:" lines and no answer block in braces, GIFT otherwise.
ExchangeFormat guessFormat(const QString& path, const QByteArray& bytes);

// The questions of an exchange file, each valid one with its correct letter set.
struct ReadExchange {
    QList<ImportedQuestion> valid;
    QList<QString> keys;  // the correct letter of each valid question
    QList<ImportedQuestion> invalid;
};
// Throws BankError "FILE:line: ..." when the file is malformed.
ReadExchange readExchangeFile(const QString& path, std::optional<ExchangeFormat> format);

struct ImportResult {
    QString file;          // the source file written, relative to the folder
    QStringList pictures;  // pictures/NNN.bmp written
    int first = 0;
    int last = -1;
};

// Writes the valid questions as records of one new source file NNN-MMM-importate.txt in folder, numbered on
// from first (or after the highest number the folder's sources hold), each picture as pictures/NNN.bmp with the
// picture line "NNN.bmp | file". Throws BankError, writing nothing, when a number or a file is taken already.
ImportResult writeImported(const ReadExchange& read, const QString& folder, std::optional<int> first);

}  // namespace bank
