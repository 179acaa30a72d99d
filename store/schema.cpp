#include "store/schema.h"

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

}  // namespace store
