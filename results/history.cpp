#include "results/history.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "store/connection.h"
#include "store/database.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/statement.h"
#include "store/transaction.h"

namespace results {

namespace {

constexpr std::size_t lastFiveTests = 5;
const char* const kDateFormat = "yyyy-MM-ddTHH:mm:ss";

QString text(const store::Statement& statement, int column)
{
    return QString::fromStdString(statement.text(column));
}

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

std::string utf8(const QString& value)
{
    return value.toStdString();
}

[[noreturn]] void fail(const store::Connection& connection, const std::string& what)
{
    throw store::Error(connection.engineFailure(what));
}

// Steps `select` through its rows, calling `onRow` at each; a statement that did not prepare or failed a
// step is reported as `what`.
template <typename OnRow>
void eachRow(const store::Connection& connection, store::Statement& select, const std::string& what, OnRow onRow)
{
    if (!select.ok())
        fail(connection, what);
    store::Statement::Step step;
    while ((step = select.step()) == store::Statement::Step::Row)
        onRow();
    if (step != store::Statement::Step::Done)
        fail(connection, what);
}

// The open connection's handle (the cursors open it; the bank tool's export may come first).
sqlite3* handleOf(store::Database& data)
{
    data.conColreg.open();
    return data.conColreg.handle();
}

std::optional<Student> readStudent(store::Connection& connection)
{
    store::Statement select(connection.handle(), "SELECT Id, Nume, Prenume, Grupa FROM Studenti ORDER BY Id LIMIT 1");
    if (!select.ok())
        fail(connection, "Elevul nu a putut fi citit");
    switch (select.step()) {
        case store::Statement::Step::Row:
            return Student{static_cast<int>(select.integer(0)), text(select, 1), text(select, 2), text(select, 3)};
        case store::Statement::Step::Done:
            return std::nullopt;
        case store::Statement::Step::Failed:
            break;
    }
    fail(connection, "Elevul nu a putut fi citit");
}

int insertStudent(store::Connection& connection, const Student& student)
{
    store::Statement insert(connection.handle(), "INSERT INTO Studenti(Nume, Prenume, Grupa) VALUES(?, ?, ?)");
    insert.bindText(1, utf8(student.nume));
    insert.bindText(2, utf8(student.prenume));
    insert.bindText(3, utf8(student.grupa));
    if (!insert.ok() || !insert.run())
        fail(connection, "Elevul nu a putut fi înregistrat");
    return static_cast<int>(sqlite3_last_insert_rowid(connection.handle()));
}

// Part order for sorting names alike.
int ruleNumber(const QString& rule)
{
    static const QRegularExpression number(QStringLiteral("^Regula (\\d+)$"));
    const QRegularExpressionMatch m = number.match(rule);
    return m.hasMatch() ? m.captured(1).toInt() : 1000;
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

bool isWrong(const QString& correctLetter, const QString& givenLetter)
{
    return correctLetter != givenLetter;
}

QString decimal(double value)
{
    // Romanian spreadsheets read a decimal comma.
    return QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString csvField(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    return QLatin1Char('"') + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

QString ruleOf(const QString& r1)
{
    const QString t = r1.simplified();
    static const QRegularExpression number(QStringLiteral("^(?:Regula\\s*)?(\\d+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression annex(QStringLiteral("^Anexa\\s+([IVX]+)\\b"));
    if (const QRegularExpressionMatch m = number.match(t); m.hasMatch())
        return QStringLiteral("Regula ") + QString::number(m.captured(1).toInt());
    if (const QRegularExpressionMatch m = annex.match(t); m.hasMatch())
        return QStringLiteral("Anexa ") + m.captured(1);
    if (t.isEmpty())
        return QStringLiteral("Fără regulă");
    return t;
}

const std::vector<QString>& partNames()
{
    static const std::vector<QString> names = {
        QStringLiteral("Partea A"), QStringLiteral("Partea B"), QStringLiteral("Partea C"), QStringLiteral("Partea D"),
        QStringLiteral("Partea E"), QStringLiteral("Partea F"), QStringLiteral("Anexe")};
    return names;
}

QString partOf(const QString& rule)
{
    if (rule.startsWith(QStringLiteral("Anexa")))
        return partNames()[6];
    const int n = ruleNumber(rule);
    // Last Rule of each Part, A to F.
    static const int lastRule[] = {3, 19, 31, 37, 38, 41};
    if (n < 1)
        return {};
    for (int part = 0; part < 6; ++part)
        if (n <= lastRule[part])
            return partNames()[part];
    return {};
}

namespace {

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

namespace {

int record(store::Database& data, const GradedTest& test)
{
    store::Connection& connection = data.conColreg;
    // Opens the file read-write once it has proved sound; a file that has not is never written.
    store::Transaction transaction(connection);
    sqlite3* db = connection.handle();
    const std::string what = "Testul nu a putut fi înregistrat";
    if (!store::raiseSchema(db))
        fail(connection, what);

    const std::optional<Student> known = readStudent(connection);
    const int student = known ? known->id : insertStudent(connection, systemUserStudent());

    store::Statement result(db,
                            "INSERT INTO Rezultate(Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare) "
                            "VALUES(?, ?, ?, ?, ?, ?, ?)");
    result.bindInteger(1, student);
    result.bindText(2, utf8(test.when.toString(QString::fromLatin1(kDateFormat))));
    result.bindInteger(3, test.grade);
    result.bindReal(4, test.percentage);
    result.bindInteger(5, test.correct);
    result.bindInteger(6, test.wrong);
    result.bindInteger(7, test.practice ? 1 : 0);
    if (!result.ok() || !result.run())
        fail(connection, what);
    const int id = static_cast<int>(sqlite3_last_insert_rowid(db));

    store::Statement answer(db, "INSERT INTO Raspunsuri(Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) VALUES(?, ?, ?, ?, ?)");
    if (!answer.ok())
        fail(connection, what);
    for (const JudgedQuestion& q : test.questions) {
        answer.reset();
        answer.bindInteger(1, id);
        answer.bindInteger(2, q.questionNumber);
        answer.bindText(3, utf8(q.rule));
        answer.bindText(4, utf8(q.correctLetter));
        answer.bindText(5, utf8(q.givenLetter));
        if (!answer.run())
            fail(connection, what);
    }
    transaction.commit();
    return id;
}

}  // namespace

int recordTest(store::Database& data, const GradedTest& test)
{
    try {
        return record(data, test);
    } catch (const store::Error& e) {
        // The cadet reads this after the grade: the grade stands, only its record is missing.
        throw store::Error(std::string("Rezultatul testului nu a fost înregistrat. ") + e.what());
    }
}

void saveStudent(store::Database& data, const QString& nume, const QString& prenume, const QString& grupa)
{
    store::Connection& connection = data.conColreg;
    store::Transaction transaction(connection);
    const std::string what = "Datele elevului nu au putut fi salvate";
    if (!store::raiseSchema(connection.handle()))
        fail(connection, what);
    const std::optional<Student> known = readStudent(connection);
    if (!known) {
        insertStudent(connection, {0, nume, prenume, grupa});
    } else {
        store::Statement update(connection.handle(),
                                "UPDATE Studenti SET Nume = ?, Prenume = ?, Grupa = ? WHERE Id = ?");
        update.bindText(1, utf8(nume));
        update.bindText(2, utf8(prenume));
        update.bindText(3, utf8(grupa));
        update.bindInteger(4, known->id);
        if (!update.ok() || !update.run())
            fail(connection, what);
    }
    transaction.commit();
}

QByteArray historyCsv(store::Database& data)
{
    store::Connection& connection = data.conColreg;
    sqlite3* db = handleOf(data);
    const Overview overview = loadOverview(data);
    const std::vector<QString>& parts = partNames();

    QString out;
    QStringList header = {QStringLiteral("Nume"),    QStringLiteral("Prenume"), QStringLiteral("Grupa"),
                          QStringLiteral("Data"),    QStringLiteral("Nota"),    QStringLiteral("Corecte"),
                          QStringLiteral("Greșite"), QStringLiteral("Procent")};
    for (const QString& part : parts)
        header << part;
    out += header.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    if (overview.history.empty())
        return QByteArray("\xEF\xBB\xBF") + out.toUtf8();

    // Per test and Part: answers judged and answered right.
    std::map<int, std::map<QString, std::pair<int, int>>> shares;
    {
        store::Statement select(db, "SELECT Id_Rezultat, Regula, Rb, Rd FROM Raspunsuri");
        eachRow(connection, select, "Răspunsurile nu au putut fi citite", [&] {
            auto& [seen, right] = shares[static_cast<int>(select.integer(0))][partOf(text(select, 1))];
            ++seen;
            right += !isWrong(text(select, 2), text(select, 3));
        });
    }

    const Student student = overview.student.value_or(Student{});
    // Oldest first, as a sheet of marks is read.
    for (auto record = overview.history.rbegin(); record != overview.history.rend(); ++record) {
        QStringList row = {csvField(student.nume),         csvField(student.prenume),
                           csvField(student.grupa),        record->when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                           QString::number(record->grade), QString::number(record->correct),
                           QString::number(record->wrong), decimal(record->percentage)};
        const auto& perPart = shares[record->id];
        for (const QString& part : parts) {
            const auto found = perPart.find(part);
            row << (found == perPart.end() || found->second.first == 0
                        ? QString()
                        : decimal(100.0 * found->second.second / found->second.first));
        }
        out += row.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

std::vector<int> practiceQuestions(const Overview& overview, const std::vector<int>& bankNumbers, int count,
                                   const std::function<int(int low, int high)>& between)
{
    const std::set<int> inBank(bankNumbers.begin(), bankNumbers.end());
    const std::set<int> judged(overview.judged.begin(), overview.judged.end());
    std::vector<int> chosen;
    std::set<int> taken;
    auto take = [&](int n) {
        if (static_cast<int>(chosen.size()) < count && inBank.count(n) && taken.insert(n).second)
            chosen.push_back(n);
    };
    for (const Mistake& m : overview.mistakes)
        take(m.questionNumber);
    std::vector<int> unseen, others;
    for (const int n : inBank)
        (judged.count(n) ? others : unseen).push_back(n);
    for (std::vector<int>* group : {&unseen, &others}) {
        // Fisher-Yates with the caller's generator.
        for (int i = static_cast<int>(group->size()) - 1; i > 0; --i)
            std::swap((*group)[i], (*group)[between(0, i)]);
        for (const int n : *group)
            take(n);
    }
    return chosen;
}

}  // namespace results
