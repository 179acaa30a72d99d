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
    const std::string toResults = R"sql(
ALTER TABLE Rezultate ADD COLUMN Corecte INTEGER;
ALTER TABLE Rezultate ADD COLUMN Gresite INTEGER;
ALTER TABLE Rezultate ADD COLUMN Exersare INTEGER;
CREATE TABLE Raspunsuri(Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_Rezultat INTEGER NOT NULL, Nr_Intreb INTEGER,
                        Regula TEXT, Rb VARCHAR(1), Rd VARCHAR(1));
)sql";
    // Level 1 to 2. An answer is wrong when its letters differ, a missing one read as empty; a missing
    // question number reads 0 and a missing Rule empty, as the results window reads them. The summary of
    // the answers already recorded is made here; after that the triggers keep it: an insert adds to its
    // row, a delete or a change counts the rows it touched again from the answers. (With a single max()
    // in a grouped query, SQLite takes the bare column from the row holding the max: Gresit_Ultimul is
    // the latest answer's.)
    const std::string toSummary = R"sql(
CREATE TABLE Sumar_Intrebari(Nr_Intreb INTEGER NOT NULL, Regula TEXT NOT NULL, Vazute INTEGER NOT NULL,
                             Gresite INTEGER NOT NULL, Ultimul INTEGER NOT NULL, Gresit_Ultimul INTEGER NOT NULL,
                             PRIMARY KEY(Nr_Intreb, Regula));
CREATE INDEX Raspunsuri_Rezultat ON Raspunsuri(Id_Rezultat);
CREATE TRIGGER Raspunsuri_Sumar_Adauga AFTER INSERT ON Raspunsuri BEGIN
  INSERT INTO Sumar_Intrebari(Nr_Intreb, Regula, Vazute, Gresite, Ultimul, Gresit_Ultimul)
  VALUES(IFNULL(NEW.Nr_Intreb, 0), IFNULL(NEW.Regula, ''), 1, IFNULL(NEW.Rb, '') <> IFNULL(NEW.Rd, ''), NEW.Id,
         IFNULL(NEW.Rb, '') <> IFNULL(NEW.Rd, ''))
  ON CONFLICT(Nr_Intreb, Regula) DO UPDATE SET
    Vazute = Vazute + 1,
    Gresite = Gresite + excluded.Gresite,
    Ultimul = MAX(Ultimul, excluded.Ultimul),
    Gresit_Ultimul = CASE WHEN excluded.Ultimul > Ultimul THEN excluded.Gresit_Ultimul ELSE Gresit_Ultimul END;
END;
CREATE TRIGGER Raspunsuri_Sumar_Sterge AFTER DELETE ON Raspunsuri BEGIN
  DELETE FROM Sumar_Intrebari WHERE Nr_Intreb = IFNULL(OLD.Nr_Intreb, 0) AND Regula = IFNULL(OLD.Regula, '');
  INSERT INTO Sumar_Intrebari(Nr_Intreb, Regula, Vazute, Gresite, Ultimul, Gresit_Ultimul)
  SELECT IFNULL(Nr_Intreb, 0), IFNULL(Regula, ''), count(*), sum(IFNULL(Rb, '') <> IFNULL(Rd, '')), max(Id),
         IFNULL(Rb, '') <> IFNULL(Rd, '')
  FROM Raspunsuri WHERE IFNULL(Nr_Intreb, 0) = IFNULL(OLD.Nr_Intreb, 0) AND IFNULL(Regula, '') = IFNULL(OLD.Regula, '')
  GROUP BY 1, 2;
END;
CREATE TRIGGER Raspunsuri_Sumar_Schimba AFTER UPDATE ON Raspunsuri BEGIN
  DELETE FROM Sumar_Intrebari WHERE (Nr_Intreb = IFNULL(OLD.Nr_Intreb, 0) AND Regula = IFNULL(OLD.Regula, ''))
                                 OR (Nr_Intreb = IFNULL(NEW.Nr_Intreb, 0) AND Regula = IFNULL(NEW.Regula, ''));
  INSERT INTO Sumar_Intrebari(Nr_Intreb, Regula, Vazute, Gresite, Ultimul, Gresit_Ultimul)
  SELECT IFNULL(Nr_Intreb, 0), IFNULL(Regula, ''), count(*), sum(IFNULL(Rb, '') <> IFNULL(Rd, '')), max(Id),
         IFNULL(Rb, '') <> IFNULL(Rd, '')
  FROM Raspunsuri
  WHERE (IFNULL(Nr_Intreb, 0) = IFNULL(OLD.Nr_Intreb, 0) AND IFNULL(Regula, '') = IFNULL(OLD.Regula, ''))
     OR (IFNULL(Nr_Intreb, 0) = IFNULL(NEW.Nr_Intreb, 0) AND IFNULL(Regula, '') = IFNULL(NEW.Regula, ''))
  GROUP BY 1, 2;
END;
INSERT INTO Sumar_Intrebari(Nr_Intreb, Regula, Vazute, Gresite, Ultimul, Gresit_Ultimul)
SELECT IFNULL(Nr_Intreb, 0), IFNULL(Regula, ''), count(*), sum(IFNULL(Rb, '') <> IFNULL(Rd, '')), max(Id),
       IFNULL(Rb, '') <> IFNULL(Rd, '')
FROM Raspunsuri GROUP BY 1, 2;
)sql";
    return (level >= kResultsSchemaLevel || execute(db, toResults)) && execute(db, toSummary) &&
           execute(db, "PRAGMA user_version = " +
                           std::to_string(userVersionFor(contentStamp(version), kCurrentSchemaLevel)));
}

}  // namespace store
