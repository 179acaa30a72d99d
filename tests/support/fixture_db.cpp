#include "tests/support/fixture_db.h"

#include <sqlite3.h>

#include <fstream>
#include <stdexcept>

#include "store/schema.h"

namespace fixture {

namespace {

struct Db {
    explicit Db(const std::string& path)
    {
        if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
            throw std::runtime_error("fixture: cannot open " + path);
    }
    ~Db() { sqlite3_close(db); }
    void exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error("fixture: " + message + " in " + sql);
        }
    }
    sqlite3* db = nullptr;
};

}  // namespace

std::vector<Question> sampleQuestions(int count)
{
    std::vector<Question> questions;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        questions.push_back({i, "Întrebarea " + n, "Varianta a " + n, "Varianta b " + n, "Varianta c " + n, "", "R" + n,
                             "", "", std::string(1, static_cast<char>('A' + i % 3))});
    }
    return questions;
}

Folder::Folder()
{
    if (!dir_.isValid())
        throw std::runtime_error("fixture: no temporary folder");
}

void Folder::writeDatabase(const std::vector<Question>& questions, int scratchRows)
{
    Db db(databasePath());
    db.exec(std::string(store::schemaSql()));
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db.db,
                       "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    db.exec("BEGIN");
    for (const Question& q : questions) {
        sqlite3_bind_int(insert, 1, q.number);
        const std::string* texts[] = {&q.text, &q.sol1, &q.sol2, &q.sol3};
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_text(insert, 2 + i, texts[i]->c_str(), -1, SQLITE_TRANSIENT);
        if (q.picture.empty())
            sqlite3_bind_null(insert, 6);
        else
            sqlite3_bind_blob(insert, 6, q.picture.data(), static_cast<int>(q.picture.size()), SQLITE_TRANSIENT);
        const std::string* rest[] = {&q.r1, &q.r2, &q.r3, &q.rb};
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_text(insert, 7 + i, rest[i]->c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    for (int i = 0; i < scratchRows; ++i)
        db.exec("INSERT INTO ManInt(Nr_Intreb, Intrebare, Rb, Rd) VALUES (" + std::to_string(100 + i) + ", 'Vechi " +
                std::to_string(i) + "', 'A', '?')");
    db.exec("COMMIT");
}

void Folder::exec(const std::string& sql)
{
    Db db(databasePath());
    db.exec(sql);
}

std::vector<std::string> Folder::column(const std::string& sql) const
{
    Db db(databasePath());
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(db.db));
    std::vector<std::string> values;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, 0));
        values.emplace_back(bytes ? bytes : "", sqlite3_column_bytes(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return values;
}

int Folder::count(const std::string& table) const
{
    return std::stoi(column("SELECT count(*) FROM " + table).at(0));
}

void Folder::writeBytes(const std::string& bytes)
{
    std::ofstream out(databasePath(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace fixture
