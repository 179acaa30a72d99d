#include "results/overview.h"

#include <QTimeZone>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <string_view>

#include "results/internal.h"
#include "results/rules.h"
#include "store/connection.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/statement.h"

namespace results {

using namespace internal;

namespace {

constexpr std::size_t lastFiveTests = 5;

// A stored time, "yyyy-MM-ddTHH:mm:ss" in local time. Read by hand and placed in the system's zone, which
// Qt resolves from its own table: the C library's local time would read the zone file again for every one
// of a thousand tests. Anything else is left to Qt's ISO reading.
QDateTime storedTime(std::string_view stored)
{
    const auto digits = [stored](std::size_t at, std::size_t count) {
        int value = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (stored[i] < '0' || stored[i] > '9')
                return -1;
            value = value * 10 + (stored[i] - '0');
        }
        return value;
    };
    if (stored.size() == 19 && stored[4] == '-' && stored[7] == '-' && stored[10] == 'T' && stored[13] == ':' &&
        stored[16] == ':') {
        const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
        const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
        static const QTimeZone zone = QTimeZone::systemTimeZone();
        if (date.isValid() && time.isValid())
            return zone.isValid() ? QDateTime(date, time, zone) : QDateTime(date, time);
    }
    return QDateTime::fromString(QString::fromUtf8(stored.data(), static_cast<qsizetype>(stored.size())), Qt::ISODate);
}

// Names in the order a reader expects: Rules by number, then Annexes and others by text.
bool namedBefore(const QString& a, const QString& b)
{
    const int na = ruleNumber(a), nb = ruleNumber(b);
    if (na != nb)
        return na < nb;
    return a < b;
}

struct Tally {
    int seen = 0;
    int wrong = 0;
    int seenLastFive = 0;
    int wrongLastFive = 0;
};

std::vector<Weakness> weakestFirst(const std::map<QString, Tally>& tallies)
{
    std::vector<Weakness> list;
    list.reserve(tallies.size());
    for (const auto& [name, t] : tallies)
        list.push_back({name, t.seen, t.seen ? double(t.wrong) / t.seen : 0.0, t.seenLastFive,
                        t.seenLastFive ? double(t.wrongLastFive) / t.seenLastFive : 0.0});
    std::stable_sort(list.begin(), list.end(), [](const Weakness& a, const Weakness& b) {
        if (a.wrongShare != b.wrongShare)
            return a.wrongShare > b.wrongShare;
        if (a.wrongShareLastFive != b.wrongShareLastFive)
            return a.wrongShareLastFive > b.wrongShareLastFive;
        if (a.seen != b.seen)
            return a.seen > b.seen;
        return namedBefore(a.name, b.name);
    });
    return list;
}

// Per Rule, by its stored bytes, the answers judged and wrong, over all tests and over the last five; and
// per question, its latest answer (wrong or not, under which Rule).
struct AnswerTallies {
    using Rules = std::map<std::string, Tally, std::less<>>;
    Rules byRule;
    struct Latest {
        bool wrong = false;
        const std::string* rule = nullptr;  // a key of byRule
        std::int64_t answer = 0;            // the answer's Id
    };
    std::map<int, Latest> latest;

    // The Rule's entry, made on its first answer.
    Rules::value_type& rule(std::string_view name)
    {
        auto found = byRule.find(name);
        if (found == byRule.end())
            found = byRule.emplace(std::string(name), Tally{}).first;
        return *found;
    }
};

// From every recorded answer: a file whose summary is not made yet (it is, at its first write).
AnswerTallies talliesFromAnswers(const store::Connection& connection, std::int64_t firstOfLastFive)
{
    AnswerTallies tallies;
    // Oldest first, so that a later answer overrides an earlier one: the answers of a test are written
    // after those of every earlier test, so their row order is the tests' order. Judged wrong as the
    // summary judges: the letters differ, a missing one read as empty.
    store::Statement select(connection.handle(),
                            "SELECT Id_Rezultat, Nr_Intreb, Regula, IFNULL(Rb, '') <> IFNULL(Rd, ''), Id "
                            "FROM Raspunsuri ORDER BY Id");
    eachRow(connection, select, "Răspunsurile nu au putut fi citite", [&] {
        const bool recent = select.integer(0) >= firstOfLastFive;
        const bool wrong = select.integer(3) != 0;
        auto& [rule, t] = tallies.rule(select.textView(2));
        ++t.seen;
        t.wrong += wrong;
        t.seenLastFive += recent;
        t.wrongLastFive += recent && wrong;
        tallies.latest[static_cast<int>(select.integer(1))] = {wrong, &rule, select.integer(4)};
    });
    return tallies;
}

// From the summary the engine keeps, and the answers of the last five tests alone.
AnswerTallies talliesFromSummary(const store::Connection& connection, std::int64_t firstOfLastFive)
{
    AnswerTallies tallies;
    {
        store::Statement select(
            connection.handle(),
            "SELECT Nr_Intreb, Regula, Vazute, Gresite, Ultimul, Gresit_Ultimul FROM Sumar_Intrebari");
        eachRow(connection, select, "Răspunsurile nu au putut fi citite", [&] {
            auto& [rule, t] = tallies.rule(select.textView(1));
            t.seen += static_cast<int>(select.integer(2));
            t.wrong += static_cast<int>(select.integer(3));
            // A question counted under two Rules (its Rule was corrected between tests): the latest answer.
            const std::int64_t answer = select.integer(4);
            AnswerTallies::Latest& latest = tallies.latest[static_cast<int>(select.integer(0))];
            if (!latest.rule || answer > latest.answer)
                latest = {select.integer(5) != 0, &rule, answer};
        });
    }
    store::Statement recent(connection.handle(),
                            "SELECT Regula, IFNULL(Rb, '') <> IFNULL(Rd, '') FROM Raspunsuri WHERE Id_Rezultat >= ?");
    recent.bindInteger(1, firstOfLastFive);
    eachRow(connection, recent, "Răspunsurile nu au putut fi citite", [&] {
        Tally& t = tallies.rule(recent.textView(0)).second;
        ++t.seenLastFive;
        t.wrongLastFive += recent.integer(1) != 0;
    });
    return tallies;
}

}  // namespace

Overview loadOverview(store::Database& data)
{
    store::Connection& connection = data.conColreg;
    sqlite3* db = handleOf(data);
    Overview overview;
    overview.student = readStudent(connection);
    const int level = store::schemaLevelOf(db);
    if (level < store::kResultsSchemaLevel)
        return overview;

    {
        store::Statement select(db,
                                "SELECT Id, Data, Nota, Corecte, Gresite, Procent, Exersare FROM Rezultate "
                                "ORDER BY Id DESC");
        eachRow(connection, select, "Rezultatele nu au putut fi citite", [&] {
            TestRecord record;
            record.id = static_cast<int>(select.integer(0));
            record.when = storedTime(select.textView(1));
            record.grade = static_cast<int>(select.integer(2));
            record.correct = static_cast<int>(select.integer(3));
            record.wrong = static_cast<int>(select.integer(4));
            record.percentage = text(select, 5).toDouble();
            record.practice = select.integer(6) != 0;
            overview.history.push_back(std::move(record));
        });
    }

    // The last five recorded tests are the five newest rows, so the ones from the fifth newest on.
    const std::int64_t firstOfLastFive =
        overview.history.empty() ? std::numeric_limits<std::int64_t>::max()
                                 : overview.history[std::min(overview.history.size(), lastFiveTests) - 1].id;

    const AnswerTallies tallies = level >= store::kSummarySchemaLevel ? talliesFromSummary(connection, firstOfLastFive)
                                                                      : talliesFromAnswers(connection, firstOfLastFive);
    std::map<QString, Tally> rules, parts;
    for (const auto& [name, t] : tallies.byRule) {
        const QString rule = QString::fromStdString(name);
        rules[rule] = t;
        Tally& part = parts[partOf(rule)];
        part.seen += t.seen;
        part.wrong += t.wrong;
        part.seenLastFive += t.seenLastFive;
        part.wrongLastFive += t.wrongLastFive;
    }
    parts.erase(QString());
    overview.rules = weakestFirst(rules);
    overview.parts = weakestFirst(parts);

    std::map<QString, std::size_t> rank;
    for (std::size_t i = 0; i < overview.rules.size(); ++i)
        rank[overview.rules[i].name] = i;
    for (const auto& [question, answer] : tallies.latest) {
        overview.judged.push_back(question);
        if (answer.wrong)
            overview.mistakes.push_back({question, QString::fromStdString(*answer.rule)});
    }
    std::stable_sort(overview.mistakes.begin(), overview.mistakes.end(),
                     [&rank](const Mistake& a, const Mistake& b) { return rank[a.rule] < rank[b.rule]; });
    return overview;
}

}  // namespace results
