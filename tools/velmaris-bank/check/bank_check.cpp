#include "velmaris-bank/check/bank_check.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "store/error.h"
#include "store/picture.h"
#include "velmaris-bank/bank/bank_parts.h"

namespace bank {
namespace {

QString numberName(qint64 n)
{
    return QString("%1").arg(n, 3, 10, QChar('0'));
}

qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

// "5-9, 12"
QString ranges(const QList<qint64>& numbers)
{
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        parts << (i == j ? QString::number(numbers[i]) : QString("%1-%2").arg(numbers[i]).arg(numbers[j]));
        i = j + 1;
    }
    return parts.join(", ");
}

struct Field {
    const char* name;
    QString Question::*member;
};

const Field kTextFields[] = {{"Intrebare", &Question::text},
                             {"Sol1", &Question::sol1},
                             {"Sol2", &Question::sol2},
                             {"Sol3", &Question::sol3},
                             {"R1 (RULE)", &Question::r1}};

const char* const kLetters[] = {"A", "B", "C"};

bool validKey(const QString& key)
{
    return key == "A" || key == "B" || key == "C";
}

// Question texts that differ only in case or spacing are the same question.
QString comparable(const QString& text)
{
    return text.simplified().toCaseFolded();
}

class Checker {
public:
    explicit Checker(const QList<Question>& questions) : questions_(questions) {}

    QList<Fault> run()
    {
        numbers();
        for (const Question& q : questions_)
            if (q.numberValid)
                one(q);
        balance();
        duplicates();
        return faults_;
    }

private:
    void add(const QString& where, const QString& what) { faults_.append({where, what}); }

    void numbers()
    {
        QMap<qint64, int> count;
        for (qsizetype i = 0; i < questions_.size(); ++i) {
            const Question& q = questions_[i];
            if (!q.numberValid) {
                add(QString("row %1").arg(i + 1), QString("Nr_Intreb '%1' is not a whole number").arg(q.numberText));
                continue;
            }
            ++count[q.number];
            if (q.number < kFirstNumber || q.number > kLastNumber)
                add(numberName(q.number), QString("number outside %1..%2").arg(kFirstNumber).arg(kLastNumber));
        }
        for (auto it = count.begin(); it != count.end(); ++it)
            if (it.value() > 1)
                add(numberName(it.key()), QString("number used %1 times").arg(it.value()));
        QList<qint64> missing;
        for (qint64 n = kFirstNumber; n <= kLastNumber; ++n)
            if (!count.contains(n))
                missing.append(n);
        if (!missing.isEmpty())
            add("bank", QString("%1 number%2 missing: %3")
                            .arg(missing.size())
                            .arg(missing.size() > 1 ? "s" : "")
                            .arg(ranges(missing)));
    }

    void one(const Question& q)
    {
        const QString where = numberName(q.number);
        if (!validKey(q.rb))
            add(where, QString("answer letter Rb is '%1'; must be A, B or C").arg(q.rb));
        for (const Field& f : kTextFields) {
            const QString& text = q.*f.member;
            if (text.trimmed().isEmpty()) {
                add(where, QString("%1 is empty").arg(QLatin1String(f.name)));
                continue;
            }
            QString cedillas;
            for (QChar c : {QChar(0x015F), QChar(0x0163), QChar(0x015E), QChar(0x0162)})
                if (text.contains(c))
                    cedillas += c;
            if (!cedillas.isEmpty())
                add(where, QString("%1 has the cedilla letter%2 %3; write ș ț Ș Ț with comma below")
                               .arg(QLatin1String(f.name), cedillas.size() > 1 ? "s" : "", cedillas));
        }
        if (characters(q.text) > kMaxStem)
            add(where, QString("question text is %1 characters; at most %2").arg(characters(q.text)).arg(kMaxStem));
        const QString* variants[] = {&q.sol1, &q.sol2, &q.sol3};
        for (int i = 0; i < 3; ++i)
            if (characters(*variants[i]) > kMaxVariant)
                add(where, QString("Sol%1 is %2 characters; at most %3")
                               .arg(i + 1)
                               .arg(characters(*variants[i]))
                               .arg(kMaxVariant));
        if (!q.picture.isEmpty())
            picture(where, q.picture);
    }

    void picture(const QString& where, const QByteArray& bytes)
    {
        QImage image;
        try {
            image = store::decodePicture(bytes);
        } catch (const store::Error& e) {
            add(where, QString("picture: %1").arg(QString::fromUtf8(e.what())));
            return;
        }
        if (image.width() > kMaxPictureWidth || image.height() > kMaxPictureHeight)
            add(where, QString("picture is %1 x %2 px; the picture views show at most %3 x %4")
                           .arg(image.width())
                           .arg(image.height())
                           .arg(kMaxPictureWidth)
                           .arg(kMaxPictureHeight));
    }

    void balance()
    {
        QList<const Question*> keyed;
        for (const Question& q : questions_)
            if (q.numberValid && validKey(q.rb))
                keyed.append(&q);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const Question* a, const Question* b) { return a->number < b->number; });

        const auto tally = [](const QList<const Question*>& list) {
            QHash<QString, int> n;
            for (const Question* q : list)
                ++n[q->rb];
            return n;
        };
        const QHash<QString, int> all = tally(keyed);
        if (all.value("A") != kKeysA || all.value("B") != kKeysB || all.value("C") != kKeysC)
            add("bank", QString("answer letters A %1, B %2, C %3; must be %4, %5, %6")
                            .arg(all.value("A"))
                            .arg(all.value("B"))
                            .arg(all.value("C"))
                            .arg(kKeysA)
                            .arg(kKeysB)
                            .arg(kKeysC));

        for (const Part& part : kParts) {
            QList<const Question*> inPart;
            for (const Question* q : keyed)
                if (q->number >= part.first && q->number <= part.last)
                    inPart.append(q);
            const QHash<QString, int> n = tally(inPart);
            const double third = inPart.size() / 3.0;
            const bool even = std::all_of(std::begin(kLetters), std::end(kLetters),
                                          [&](const char* k) { return std::abs(n.value(k) - third) <= 2; });
            if (!even)
                add(QString("Part %1 (%2-%3)").arg(QLatin1String(part.name)).arg(part.first).arg(part.last),
                    QString("answer letters A %1, B %2, C %3; each must be within 2 of %4")
                        .arg(n.value("A"))
                        .arg(n.value("B"))
                        .arg(n.value("C"))
                        .arg(third, 0, 'f', 1));
        }

        for (qsizetype i = 0; i < keyed.size();) {
            qsizetype j = i;
            while (j + 1 < keyed.size() && keyed[j + 1]->rb == keyed[i]->rb)
                ++j;
            if (j - i + 1 > kMaxSameKeyInARow)
                add(QString("%1-%2").arg(numberName(keyed[i]->number), numberName(keyed[j]->number)),
                    QString("answer %1 %2 times in a row; at most %3")
                        .arg(keyed[i]->rb)
                        .arg(j - i + 1)
                        .arg(kMaxSameKeyInARow));
            i = j + 1;
        }
    }

    void duplicates()
    {
        QHash<QString, qint64> first;
        for (const Question& q : questions_) {
            if (!q.numberValid || q.text.trimmed().isEmpty())
                continue;
            const QString key = comparable(q.text);
            if (first.contains(key))
                add(numberName(q.number), QString("same question text as %1").arg(numberName(first.value(key))));
            else
                first.insert(key, q.number);
        }
    }

    const QList<Question>& questions_;
    QList<Fault> faults_;
};

}  // namespace

QList<Fault> checkQuestions(const QList<Question>& questions)
{
    return Checker(questions).run();
}

namespace {

// Lower case, without diacritics: „Întotdeauna”, „intotdeauna” and „ÎNTOTDEAUNA” compare equal.
QString folded(const QString& text)
{
    QString out;
    for (QChar c : text.toLower().normalized(QString::NormalizationForm_D))
        if (!c.isMark())
            out += c;
    return out;
}

// Words that claim always, never, only or all: a distractor that carries one is easy to strike out.
const QStringList kAbsoluteWords = {
    "numai",    "doar",    "exclusiv", "intotdeauna", "totdeauna",  "mereu",         "niciodata",
    "nicicand", "oricand", "orice",    "oricare",     "indiferent", "toate",         "toti",
    "niciun",   "nicio",   "nici un",  "nici o",      "absolut",    "fara exceptie", "in niciun caz"};

const QRegularExpression& absolutePattern()
{
    static const QRegularExpression pattern(QString("\\b(%1)\\b").arg(kAbsoluteWords.join('|')),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

// Words that hedge a claim (may, as near as can be, although, some ... others, taking into account).
const QStringList kHedgeWords = {
    "poate",        "pot",      "putea",         "cat mai",       "pe cat posibil",    "desi",     "unele",
    "altele",       "uneori",   "tinand seama",  "de regula",     "in general",        "eventual", "de obicei",
    "in principiu", "dupa caz", "in functie de", "de preferinta", "daca imprejurarile"};

const QRegularExpression& hedgePattern()
{
    static const QRegularExpression pattern(QString("\\b(%1)\\b").arg(kHedgeWords.join('|')),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern;
}

QStringList matches(const QRegularExpression& pattern, const QString& text)
{
    QStringList found;
    QRegularExpressionMatchIterator it = pattern.globalMatch(folded(text));
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

// Function words long enough to count as words of the stem, and the forms of „navă”, which nearly every
// question names, written folded.
const QSet<QString> kFunctionWords = {"pentru",        "catre",    "intre",      "dintre",    "printre",   "asupra",
                                      "despre",        "decat",    "atunci",     "trebuie",   "fiind",     "avand",
                                      "carei",         "caror",    "carui",      "fiecare",   "acest",     "acesta",
                                      "aceasta",       "aceste",   "acestei",    "acestui",   "acestor",   "aceea",
                                      "aceeasi",       "acele",    "acelei",     "acelui",    "acelor",    "aceleiasi",
                                      "cealalta",      "celalalt", "celeilalte", "celuilalt", "celelalte", "celorlalte",
                                      "dumneavoastra", "sunteti",  "navei",      "navele",    "navelor"};

constexpr int kStemWordLetters = 5;

// word of the text -> the key it is compared by
QList<std::pair<QString, QString>> contentWords(const QString& text)
{
    static const QRegularExpression word("\\w+", QRegularExpression::UseUnicodePropertiesOption);
    QList<std::pair<QString, QString>> words;
    QRegularExpressionMatchIterator it = word.globalMatch(folded(text));
    while (it.hasNext()) {
        const QString w = it.next().captured(0);
        if (w.size() >= kStemWordLetters && !kFunctionWords.contains(w))
            words.append({w, w.left(kStemWordLetters)});
    }
    return words;
}

QSet<QString> contentKeys(const QString& text)
{
    QSet<QString> keys;
    for (const auto& [w, key] : contentWords(text))
        keys.insert(key);
    return keys;
}

// Spellings that drift from the glossary, and the glossary's word. Matched on the text as written, so
// that a missing diacritic counts.
struct Drift {
    QRegularExpression pattern;
    const char* glossary;
};

const QList<Drift>& drifts()
{
    const auto ci = QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
    static const QList<Drift> list = {
        {QRegularExpression("\\blumin\\w* de pupa\\b", ci), "lumină de pupă"},
        {QRegularExpression("\\blumin\\w* (laterale|din bord(uri)?)\\b", ci), "lumini de bord"},
        {QRegularExpression("\\blumin\\w* de borduri\\b", ci), "lumini de bord"},
        {QRegularExpression("\\bcapacit\\w* (redus\\w* de manevr|de manevr\\w* redus)\\w*", ci),
         "navă cu capacitate de manevră redusă"},
        {QRegularExpression("\\blimitat\\w* în capacitatea (sa )?de manevr", ci),
         "navă cu capacitate de manevră redusă"},
        {QRegularExpression("\\b(bil(ă|a|e|ele)|sfer(ă|a|e|ele) ne(agr|gr)\\w*)\\b", ci), "bulă"},
    };
    return list;
}

// The correct spellings of the drifting terms; a match of a drift pattern that is one of them is no drift.
const QStringList kGlossarySpellings = {"capacitate de manevră redusă", "capacitatea de manevră redusă"};

}  // namespace

QStringList absoluteWords(const QString& text)
{
    return matches(absolutePattern(), text);
}

QStringList hedgeWords(const QString& text)
{
    return matches(hedgePattern(), text);
}

QStringList repeatedStemWords(const Question& q, const QSet<QString>& common)
{
    if (!validKey(q.rb))
        return {};
    const QString* variants[] = {&q.sol1, &q.sol2, &q.sol3};
    const int right = q.rb[0].unicode() - 'A';
    QSet<QString> keys = contentKeys(q.text);
    for (int i = 0; i < 3; ++i)
        if (i != right)
            keys.subtract(contentKeys(*variants[i]));
    QStringList found;
    for (const auto& [w, key] : contentWords(*variants[right]))
        if (keys.contains(key) && !common.contains(key) && !found.contains(w))
            found << w;
    return found;
}

Review reviewQuestions(const QList<Question>& questions)
{
    Review review;
    QHash<QString, int> stemUses;
    for (const Question& q : questions)
        for (const QString& key : contentKeys(q.text))
            ++stemUses[key];
    QSet<QString> common;
    for (auto it = stemUses.begin(); it != stemUses.end(); ++it)
        if (it.value() >= kCommonStemWordUses)
            common.insert(it.key());

    for (const Question& q : questions) {
        if (!q.numberValid || !validKey(q.rb))
            continue;
        ++review.questions;
        const QString where = numberName(q.number);
        const QString* variants[] = {&q.sol1, &q.sol2, &q.sol3};
        const int right = q.rb[0].unicode() - 'A';

        QStringList wrongWords;
        bool everyWrongOne = true;
        for (int i = 0; i < 3; ++i) {
            if (i == right)
                continue;
            const QStringList words = absoluteWords(*variants[i]);
            everyWrongOne = everyWrongOne && !words.isEmpty();
            wrongWords << words;
        }
        if (everyWrongOne && absoluteWords(*variants[right]).isEmpty()) {
            ++review.absoluteOnlyInDistractors;
            wrongWords.removeDuplicates();
            review.warnings.append(
                {where, QString("only the wrong variants carry absolute words (%1)").arg(wrongWords.join(", "))});
        }

        const QStringList hedges = hedgeWords(*variants[right]);
        bool wrongHedged = false;
        for (int i = 0; i < 3; ++i)
            wrongHedged = wrongHedged || (i != right && !hedgeWords(*variants[i]).isEmpty());
        if (!hedges.isEmpty() && !wrongHedged) {
            ++review.rightAloneHedged;
            review.warnings.append({where, QString("only the right variant hedges (%1)").arg(hedges.join(", "))});
        }
        const QStringList repeated = repeatedStemWords(q, common);
        if (!repeated.isEmpty()) {
            ++review.rightAloneRepeats;
            review.warnings.append(
                {where, QString("only the right variant repeats words of the question (%1)").arg(repeated.join(", "))});
        }

        qsizetype longest = 0;
        for (const QString* v : variants)
            longest = std::max(longest, characters(*v));
        int sharing = 0;
        for (const QString* v : variants)
            sharing += characters(*v) == longest;
        if (characters(*variants[right]) == longest)
            review.longestRight += 1.0 / sharing;

        for (const Field& f : kTextFields) {
            const QString& text = q.*f.member;
            for (const Drift& drift : drifts()) {
                QRegularExpressionMatchIterator it = drift.pattern.globalMatch(text);
                while (it.hasNext()) {
                    const QString found = it.next().captured(0);
                    if (kGlossarySpellings.contains(found.toLower()))
                        continue;
                    review.warnings.append(
                        {where, QString("%1 writes „%2”; the glossary has „%3”")
                                    .arg(QLatin1String(f.name), found, QString::fromUtf8(drift.glossary))});
                }
            }
        }
    }
    return review;
}

QStringList reviewLines(const Review& review)
{
    QStringList lines;
    for (const Fault& w : review.warnings)
        lines << "warning: " + w.toString();
    const auto percent = [](double share) { return QString::number(100 * share, 'f', 1) + " %"; };
    lines << QString("absolute words only in the wrong variants: %1 of %2 questions, %3 (at most %4)")
                 .arg(review.absoluteOnlyInDistractors)
                 .arg(review.questions)
                 .arg(percent(review.absoluteShare()), percent(kMaxAbsoluteShare));
    lines << QString("right variant alone hedged: %1, alone repeating the question's words: %2 of %3 questions")
                 .arg(review.rightAloneHedged)
                 .arg(review.rightAloneRepeats)
                 .arg(review.questions);
    lines << QString("right answer is the longest variant: %1 of %2 questions, %3 (at most %4)")
                 .arg(review.longestRight, 0, 'f', 1)
                 .arg(review.questions)
                 .arg(percent(review.longestShare()), percent(kMaxLongestShare));
    return lines;
}

}  // namespace bank
