#include "bench/made_history.h"

#include <QDateTime>

#include <sqlite3.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "results/record.h"
#include "results/rules.h"
#include "store/database.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "tests/support/fixture_db.h"

namespace bench {

namespace {

results::GradedTest madeTest(int index, const std::vector<int>& numbers, const std::vector<QString>& rules,
                             std::mt19937& random)
{
    results::GradedTest test;
    test.when = QDateTime(QDate(2026, 12, 1), QTime(10, 0)).addDays(-index);
    std::vector<int> order(numbers.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), random);
    for (std::size_t i = 0; i < 30 && i < order.size(); ++i) {
        const bool wrong = random() % 4 == 0;
        const auto at = static_cast<std::size_t>(order[i]);
        test.questions.push_back(
            {numbers[at], rules[at], QStringLiteral("A"), wrong ? QStringLiteral("B") : QStringLiteral("A")});
        ++(wrong ? test.wrong : test.correct);
    }
    test.grade = std::clamp(4 + (test.correct - 14) / 2, 4, 10);
    test.percentage = test.correct * 100.0 / (test.correct + test.wrong);
    test.practice = index % 5 == 4;
    return test;
}

}  // namespace

void makeHistory(const std::string& folder, int tests)
{
    std::vector<int> numbers;
    std::vector<QString> rules;
    std::mt19937 random(1972);
    {
        store::Database data;
        data.open(store::bankFileIn(folder));
        store::TableCursor& bank = data.tblIntrebari;
        for (bank.First(); !bank.Eof(); bank.Next()) {
            numbers.push_back(std::stoi(bank.FieldByName("Nr_Intreb").AsString()));
            rules.push_back(results::ruleOf(QString::fromStdString(bank.FieldByName("R1").AsString())));
        }
        if (numbers.empty() || tests < 1)
            return;
        // Oldest first, as they would have been recorded.
        results::recordTest(data, madeTest(tests - 1, numbers, rules, random));
    }
    {
        fixture::FileConnection file(folder + "/Velmaris.mdb");
        file.exec("BEGIN");
        for (int index = tests - 2; index >= 0; --index) {
            const results::GradedTest t = madeTest(index, numbers, rules, random);
            store::Statement insert(
                file.get(),
                "INSERT INTO Rezultate(Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare) "
                "SELECT MIN(Id), ?, ?, ?, ?, ?, ? FROM Studenti");
            insert.bindText(1, t.when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toStdString());
            insert.bindInteger(2, t.grade);
            insert.bindReal(3, t.percentage);
            insert.bindInteger(4, t.correct);
            insert.bindInteger(5, t.wrong);
            insert.bindInteger(6, t.practice);
            if (!insert.ok() || !insert.run())
                throw std::runtime_error("made history: a test could not be inserted");
            const sqlite3_int64 id = sqlite3_last_insert_rowid(file.get());
            for (const results::JudgedQuestion& q : t.questions) {
                store::Statement answer(
                    file.get(), "INSERT INTO Raspunsuri(Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) VALUES(?, ?, ?, ?, ?)");
                answer.bindInteger(1, id);
                answer.bindInteger(2, q.questionNumber);
                answer.bindText(3, q.rule.toStdString());
                answer.bindText(4, q.correctLetter.toStdString());
                answer.bindText(5, q.givenLetter.toStdString());
                if (!answer.ok() || !answer.run())
                    throw std::runtime_error("made history: an answer could not be inserted");
            }
        }
        file.exec("COMMIT");
    }
}

}  // namespace bench
