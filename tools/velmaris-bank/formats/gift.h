#pragma once

#include <QByteArray>
#include <QList>

#include "velmaris-bank/bank/question.h"
#include "velmaris-bank/formats/bank_exchange.h"

namespace bank {

struct TextExport {
    QByteArray bytes;
    QList<qint64> leftOut;  // picture questions, which these text formats cannot carry
    QList<qint64> misread;  // questions the format cannot write so that Moodle reads them back (Aiken's escapes)
};

// The questions as a GIFT file: a $CATEGORY line before each run of questions of one Part, each question named
// by its number and Rule, variants one to a line in a) b) c) order, special characters escaped. Moodle reads an
// untagged GIFT text as HTML: a question whose texts hold '<' or '&', or start with a format tag, is written
// "[plain]"; so is an answer that starts with '%' (a weight) or a format tag.
TextExport writeGift(const QList<Question>& questions);

// The questions of a GIFT file. Throws BankError naming the line when the file cannot be read as GIFT (a title
// or an answer block left open, not UTF-8); questions the bank cannot hold come back with their problem set.
QList<ImportedQuestion> readGift(const QByteArray& bytes);

}  // namespace bank
