#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include "velmaris-bank/bank/question.h"

namespace bank {

// The hard limits of the authoring guide (bank/AUTHORING.md).
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

// What a test-wise learner could answer by without knowing the Rules (absolute words only in the wrong
// variants, the right variant alone hedged or alone repeating the stem's words), and words that drift from
// the glossary. These are warnings: they leave the check's result alone.
struct Review {
    QList<Fault> warnings;
    int questions = 0;
    int absoluteOnlyInDistractors = 0;  // both wrong variants carry an absolute word, the right one none
    int rightAloneHedged = 0;           // the right variant carries a hedge word, the wrong ones none
    int rightAloneRepeats = 0;          // the right variant alone repeats words of the stem
    double longestRight = 0;            // right answers of a learner who always picks the longest variant (ties shared)
    double absoluteShare() const { return questions ? double(absoluteOnlyInDistractors) / questions : 0; }
    double longestShare() const { return questions ? longestRight / questions : 0; }
};

inline constexpr double kMaxAbsoluteShare = 0.01;
inline constexpr double kMaxLongestShare = 0.30;

Review reviewQuestions(const QList<Question>& questions);

// Hedge words of a text („poate”, „cât mai”, „deși”, „unele”, ...): a right variant that alone hedges is
// picked for its caution. Found as absoluteWords are.
QStringList hedgeWords(const QString& text);

// A stem word, repeated in the right variant and in neither wrong one, points at the right variant. Words
// of five letters or more count, compared by their first five letters (Romanian endings change with case
// and number: „mijloace”, „mijloacele”); short function words and words at least kCommonStemWordUses of
// the questions' stems use (the bank's own vocabulary: „lumină”, „vizibilitate”) do not.
inline constexpr int kCommonStemWordUses = 20;
QStringList repeatedStemWords(const Question& question, const QSet<QString>& common = {});

// The absolute words of a text („numai”, „întotdeauna”, „niciodată”, „oricând”, ...), found whatever the
// case and with or without diacritics.
QStringList absoluteWords(const QString& text);

// The review as the check command prints it: one line per warning, then the two shares.
QStringList reviewLines(const Review& review);

}  // namespace bank
