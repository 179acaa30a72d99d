#pragma once

#include <QByteArray>
#include <QList>

#include "velmaris-bank/bank/question.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/formats/gift.h"

namespace bank {

// The questions as an Aiken file: the question on one line, "A. " to "C. " before the variants, then
// "ANSWER: " and the letter. Aiken has no names, categories or escapes: a question that starts like an answer
// ("A. ", "B)") or an ANSWER line, or is shorter than two bytes, is left out and listed in misread.
TextExport writeAiken(const QList<Question>& questions);

// The questions of an Aiken file, read as Moodle reads them: an answer line is a capital letter, ')' or '.', and
// at most one blank; the ANSWER letter counts the answers in order. A question broken over several lines is
// read as one. Throws BankError naming the line when the file breaks the format (an answer before any
// question, a question without its ANSWER line, not UTF-8).
QList<ImportedQuestion> readAiken(const QByteArray& bytes);

}  // namespace bank
