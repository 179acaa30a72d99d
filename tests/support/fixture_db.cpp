#include "tests/support/fixture_db.h"

#include <sqlite3.h>

#include <fstream>
#include <stdexcept>

#include "store/schema.h"
#include "store/statement.h"

namespace fixture {

FileConnection::FileConnection(const std::string& path, int flags) : handle_(path, flags)
{
    if (!handle_.ok())
        throw std::runtime_error("fixture: cannot open " + path + ": " + handle_.errorMessage());
}

void FileConnection::exec(const std::string& sql)
{
    if (!store::execute(handle_.get(), sql))
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(handle_.get()) + " in " + sql);
}

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

void Folder::writeDatabase(const std::vector<Question>& questions, int scratchRows, std::string_view schema)
{
    FileConnection db(databasePath());
    db.exec(std::string(schema.empty() ? store::schemaSql() : schema));
    store::SqliteTransaction transaction;
    if (!transaction.begin(db.get()))
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(db.get()));
    store::Statement insert(db.get(),
                            "INSERT INTO Intrebari(Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, R2, R3, Rb) "
                            "VALUES (?,?,?,?,?,?,?,?,?,?)");
    for (const Question& q : questions) {
        insert.bindInteger(1, q.number);
        const std::string* texts[] = {&q.text, &q.sol1, &q.sol2, &q.sol3};
        for (int i = 0; i < 4; ++i)
            insert.bindText(2 + i, *texts[i]);
        if (q.picture.empty())
            insert.bindNull(6);
        else
            insert.bindBlob(6, q.picture);
        const std::string* rest[] = {&q.r1, &q.r2, &q.r3, &q.rb};
        for (int i = 0; i < 4; ++i)
            insert.bindText(7 + i, *rest[i]);
        if (!insert.run())
            throw std::runtime_error(std::string("fixture: ") + insert.errorMessage());
        insert.reset();
    }
    for (int i = 0; i < scratchRows; ++i)
        db.exec("INSERT INTO ManInt(Nr_Intreb, Intrebare, Rb, Rd) VALUES (" + std::to_string(100 + i) + ", 'Vechi " +
                std::to_string(i) + "', 'A', '?')");
    if (!transaction.commit())
        throw std::runtime_error(std::string("fixture: ") + sqlite3_errmsg(db.get()));
}

void Folder::exec(const std::string& sql)
{
    FileConnection(databasePath()).exec(sql);
}

std::vector<std::string> Folder::column(const std::string& sql) const
{
    const FileConnection db(databasePath());
    store::Statement query(db.get(), sql);
    if (!query.ok())
        throw std::runtime_error("fixture: " + query.errorMessage());
    std::vector<std::string> values;
    while (query.step() == store::Statement::Step::Row)
        values.push_back(query.text(0));
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
