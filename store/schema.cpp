#include "store/schema.h"

#include <string>

#include "store/statement.h"

namespace store {

std::string_view schemaSql()
{
    return R"sql(
CREATE TABLE Intrebari(Nr_Intreb INTEGER, Intrebare TEXT, Sol1 TEXT, Sol2 TEXT, Sol3 TEXT, R1 TEXT, R2 TEXT,
                       R3 TEXT, Rb VARCHAR(1), Poza BLOB);
CREATE TABLE ManInt(Id INTEGER PRIMARY KEY AUTOINCREMENT, Nr_Intreb INTEGER, Intrebare TEXT, Sol1 TEXT,
                    Sol2 TEXT, Sol3 TEXT, R1 TEXT, R2 TEXT, R3 TEXT, Rb VARCHAR(1), Rd VARCHAR(1), Poza BLOB);
CREATE TABLE Studenti(Id INTEGER PRIMARY KEY AUTOINCREMENT, Nume TEXT, Prenume TEXT, Grupa TEXT);
CREATE TABLE Rezultate(Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_Student INTEGER, Data TEXT, Nota INTEGER,
                       Procent REAL);
PRAGMA user_version = 1;
)sql";
}

const std::vector<std::string_view>& presentedFieldOrder(std::string_view table)
{
    static const std::vector<std::string_view> questions = {"Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3",
                                                            "Poza",      "R1",        "R2",   "R3",   "Rb"};
    static const std::vector<std::string_view> scratch = {"Id",   "Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3",
                                                          "Poza", "R1",        "R2",        "R3",   "Rb",   "Rd"};
    static const std::vector<std::string_view> none;
    if (table == "Intrebari")
        return questions;
    if (table == "ManInt")
        return scratch;
    return none;
}

int contentStamp(long long userVersion)
{
    // A negative value (an unreadable stamp, or one no Velmaris wrote) is no stamp.
    if (userVersion < 0)
        return -1;
    return static_cast<int>(userVersion & ((1LL << kContentStampBits) - 1));
}

int schemaLevel(long long userVersion)
{
    if (userVersion < 0)
        return -1;
    return static_cast<int>(userVersion >> kContentStampBits);
}

long long userVersionFor(int stamp, int level)
{
    return (static_cast<long long>(level) << kContentStampBits) | stamp;
}

int schemaLevelOf(sqlite3* db)
{
    Statement statement(db, "PRAGMA user_version");
    if (!statement.ok() || statement.step() != Statement::Step::Row)
        return -1;
    return schemaLevel(statement.integer(0));
}

bool raiseSchema(sqlite3* db)
{
    Statement read(db, "PRAGMA user_version");
    if (!read.ok() || read.step() != Statement::Step::Row)
        return false;
    const long long version = read.integer(0);
    read.reset();
    const int level = schemaLevel(version);
    if (level >= kCurrentSchemaLevel)
        return true;
    // Level 0 to 1. ADD COLUMN leaves every row as it is (the new fields read NULL in older rows).
    const std::string script = R"sql(
ALTER TABLE Rezultate ADD COLUMN Corecte INTEGER;
ALTER TABLE Rezultate ADD COLUMN Gresite INTEGER;
ALTER TABLE Rezultate ADD COLUMN Exersare INTEGER;
CREATE TABLE Raspunsuri(Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_Rezultat INTEGER NOT NULL, Nr_Intreb INTEGER,
                        Regula TEXT, Rb VARCHAR(1), Rd VARCHAR(1));
)sql";
    return execute(db, script) &&
           execute(db, "PRAGMA user_version = " +
                           std::to_string(userVersionFor(contentStamp(version), kCurrentSchemaLevel)));
}

}  // namespace store
