#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

#include "velmaris-bank/bank/question.h"

namespace bank {

// Printing draws text, so it needs a QGuiApplication (the command line uses the offscreen platform).
// The PDFs are A4, set in Liberation Serif, which is embedded; Throws BankError when the font is not
// installed or the file cannot be written.

using PrintProgress = std::function<void(int done, int total)>;

// The bank as a handout: a title page; each question with its number, Rule, text, variants and picture (scaled by
// a whole multiple, without smoothing), never split across pages; page numbers; the answer key as a table at the
// end. Returns the number of pages. With mono, for a copy in black and white, each picture drawn from its
// description has its lights and shapes in words beneath it (pictureInWords), since grey loses red against green.
int printBank(const QList<Question>& questions, const QString& path, bool mono = false,
              const PrintProgress& progress = {});

// The 30 question numbers of a test sheet, drawn as the program's "Start" draws them, from the generator
// seeded with seed instead of the clock. Throws BankError when the bank holds fewer than 30 numbers in 0..273.
QList<qint64> drawSheet(const QList<Question>& questions, std::uint32_t seed);

// A test sheet: a first page with the cadet's name, the variant (the seed) and an answer grid, the 30 questions
// without their Rule, and the key alone on the last page. Returns the number of pages. mono as for printBank.
int printSheet(const QList<Question>& questions, std::uint32_t seed, const QString& path, bool mono = false);

}  // namespace bank
