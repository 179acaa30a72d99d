#include "store/schema.h"

namespace store {

std::string_view schemaSql()
{
    return R"sql(
CREATE TABLE Intrebari(Nr_Intreb INTEGER, Intrebare TEXT, Sol1 TEXT, Sol2 TEXT, Sol3 TEXT, Poza BLOB,
                       R1 TEXT, R2 TEXT, R3 TEXT, Rb VARCHAR(1));
CREATE TABLE ManInt(Id INTEGER PRIMARY KEY AUTOINCREMENT, Nr_Intreb INTEGER, Intrebare TEXT, Sol1 TEXT,
                    Sol2 TEXT, Sol3 TEXT, Poza BLOB, R1 TEXT, R2 TEXT, R3 TEXT, Rb VARCHAR(1), Rd VARCHAR(1));
CREATE TABLE Studenti(Id INTEGER PRIMARY KEY AUTOINCREMENT, Nume TEXT, Prenume TEXT, Grupa TEXT);
CREATE TABLE Rezultate(Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_Student INTEGER, Data TEXT, Nota INTEGER,
                       Procent REAL);
PRAGMA user_version = 1;
)sql";
}

}  // namespace store
