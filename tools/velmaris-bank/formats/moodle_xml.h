#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>

#include "velmaris-bank/bank/question.h"
#include "velmaris-bank/formats/bank_exchange.h"

namespace bank {

// The questions as a Moodle XML quiz file: a category switch before each run of questions of one Part, then one
// single-answer multichoice question per bank question, variants in a) b) c) order with letters shown and not
// shuffled, the correct one at fraction 100. Texts are HTML; a picture is embedded as a PNG file of its exact
// pixels and shown at its natural size.
QByteArray writeMoodleXml(const QList<Question>& questions);

// The questions of a Moodle XML file. Throws BankError naming the line when the file is not well-formed XML or
// not a <quiz>; questions the bank cannot hold come back with their problem set. Texts are read in their format
// (html, moodle_auto_format, plain_text, markdown); a picture comes from an <img> of the question text and its
// <file>, or from the old <image> and <image_base64> fields, which Moodle still reads.
QList<ImportedQuestion> readMoodleXml(const QByteArray& bytes);
// The same, read from a device as it goes, so that a large file is not held in memory.
QList<ImportedQuestion> readMoodleXmlFrom(QIODevice& device);

}  // namespace bank
