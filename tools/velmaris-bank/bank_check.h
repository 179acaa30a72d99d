#pragma once

#include "question.h"

#include <QList>
#include <QString>

namespace bank {

// The hard limits of the bank guide.
inline constexpr int kMaxStem = 260;
inline constexpr int kMaxVariant = 140;
inline constexpr int kMaxPictureWidth = 170;  // the test window's picture view
inline constexpr int kMaxPictureHeight = 474;
inline constexpr int kKeysA = 92;
inline constexpr int kKeysB = 91;
inline constexpr int kKeysC = 91;
inline constexpr int kMaxSameKeyInARow = 3;

struct Fault {
    QString where;  // the question number ("012"), a range of numbers, or "bank" / a Part for the whole
    QString what;
    QString toString() const { return where + ": " + what; }
};

// Every rule a complete bank must meet: numbers 0..273 each exactly once; Rb A, B or C; no empty text; no
// cedilla letters; stem and variant lengths; answer-letter balance (overall, per Part, runs); pictures that
// decode and fit the views; no question text twice.
QList<Fault> checkQuestions(const QList<Question>& questions);

}  // namespace bank
