#include "results/presentation.h"

#include <QLocale>

#include <algorithm>

namespace results {

namespace {

// Romanian separators whatever the machine's regional settings: the window is Romanian.
const QLocale kRomanian(QLocale::Romanian, QLocale::Romania);

}  // namespace

QString dateText(const QDateTime& when)
{
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString percentText(double percentage)
{
    return kRomanian.toString(percentage, 'f', 1) + QLatin1Char('%');
}

QString shareText(double share)
{
    return percentText(share * 100.0);
}

Row historyRow(const TestRecord& test)
{
    const QString date = dateText(test.when);
    const QString judged = QStringLiteral("%1 din %2").arg(test.correct).arg(test.correct + test.wrong);
    const QString percent = percentText(test.percentage);
    const QString kind = test.practice ? QStringLiteral("exersare") : QStringLiteral("test");
    return {{date, QString::number(test.grade), judged, percent, kind},
            QStringLiteral("%1, nota %2, %3 corecte din %4, %5, %6")
                .arg(date)
                .arg(test.grade)
                .arg(test.correct)
                .arg(test.correct + test.wrong)
                .arg(percent, test.practice ? QStringLiteral("test de exersare") : QStringLiteral("test obișnuit"))};
}

Row weaknessRow(const Weakness& weakness)
{
    const QString all = shareText(weakness.wrongShare);
    // A Rule none of the last five tests asked has no recent share: a dash, not a misleading 0%.
    const bool recent = weakness.seenLastFive > 0;
    const QString lastFive = recent ? shareText(weakness.wrongShareLastFive) : QStringLiteral("–");
    return {{weakness.name, QString::number(weakness.seen), all, lastFive},
            QStringLiteral("%1: %2 răspunsuri, %3 greșite; %4")
                .arg(weakness.name)
                .arg(weakness.seen)
                .arg(all, recent ? QStringLiteral("în ultimele cinci teste %1 greșite").arg(lastFive)
                                 : QStringLiteral("nicio întrebare în ultimele cinci teste"))};
}

Row mistakeRow(const Mistake& mistake)
{
    const QString question = QStringLiteral("Întrebarea %1").arg(mistake.questionNumber);
    return {{question, mistake.rule}, QStringLiteral("%1, %2").arg(question, mistake.rule)};
}

std::vector<TestRecord> chartTests(const std::vector<TestRecord>& history, std::size_t limit)
{
    const std::size_t n = std::min(limit, history.size());
    return {history.rend() - static_cast<std::ptrdiff_t>(n), history.rend()};
}

QStringList chartText(const std::vector<TestRecord>& chart)
{
    if (chart.empty())
        return {QStringLiteral("Niciun test înregistrat încă.")};
    QStringList lines;
    for (const TestRecord& test : chart)
        lines << QStringLiteral("%1: nota %2%3")
                     .arg(dateText(test.when))
                     .arg(test.grade)
                     .arg(test.practice ? QStringLiteral(" (exersare)") : QString());
    return lines;
}

QString studentText(const std::optional<Student>& student)
{
    if (!student)
        return {};
    QString text = QStringList{student->nume, student->prenume}.join(QLatin1Char(' ')).trimmed();
    if (!student->grupa.trimmed().isEmpty())
        text +=
            (text.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("grupa ") + student->grupa.trimmed();
    return text;
}

}  // namespace results
