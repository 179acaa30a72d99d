#include "store/connection.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <random>

#include "store/error.h"
#include "store/statement.h"
#include "store/table_cursor.h"
#include "tests/support/fixture_db.h"

namespace {

std::string openFailure(const fixture::Folder& folder, const std::string& table = "Intrebari")
{
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor cursor("tblIntrebari", table);
    cursor.setConnection(&connection);
    try {
        cursor.Open();
    } catch (const store::Error& error) {
        EXPECT_FALSE(cursor.Active());
        return error.what();
    }
    return "(opened)";
}

TEST(BankFile, IsTheFixedNameInTheFolderWithOrWithoutItsSeparator)
{
    EXPECT_EQ(store::bankFileIn("/opt/velmaris"), "/opt/velmaris/Velmaris.mdb");
    EXPECT_EQ(store::bankFileIn("/opt/velmaris/"), "/opt/velmaris/Velmaris.mdb");
    EXPECT_EQ(store::bankFileIn(""), "Velmaris.mdb");
}

TEST(OpeningABadFile, ReportsClearlyAndCreatesNothing)
{
    {
        fixture::Folder folder;
        const std::string message = openFailure(folder);
        EXPECT_EQ(message, "Fișierul bazei de date '" + folder.databasePath() +
                               "' nu există. Reinstalați programul sau cereți instructorului o copie a fișierului.");
        EXPECT_FALSE(std::filesystem::exists(folder.databasePath())) << "a missing database must not be created";
    }
    {
        fixture::Folder folder;
        folder.writeBytes("");
        EXPECT_EQ(openFailure(folder), "Fișierul bazei de date '" + folder.databasePath() +
                                           "' este gol: nu are nicio tabelă. " + store::replaceFileAdvice());
        EXPECT_EQ(std::filesystem::file_size(folder.databasePath()), 0u) << "nothing written into it";
    }
    {
        fixture::Folder folder;
        std::mt19937 random(7);
        std::string noise(8192, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        folder.writeBytes(noise);
        EXPECT_EQ(openFailure(folder), "Fișierul '" + folder.databasePath() + "' nu este o bază de date Velmaris. " +
                                           store::replaceFileAdvice() + " (detalii: file is not a database)");
    }
    {
        fixture::Folder folder;
        folder.writeDatabase(fixture::sampleQuestions(2));
        folder.exec("DROP TABLE ManInt");
        EXPECT_EQ(openFailure(folder, "ManInt"), "tblIntrebari: Tabela 'ManInt' lipsește din baza de date '" +
                                                     folder.databasePath() + "'. " + store::replaceFileAdvice());
    }
}

TEST(OpeningAgain, SucceedsOnceTheFileIsThere)
{
    fixture::Folder folder;
    store::Connection connection;
    connection.setFile(store::bankFileIn(folder.path()));
    store::TableCursor cursor("tblIntrebari", "Intrebari");
    cursor.setConnection(&connection);
    EXPECT_THROW(cursor.Open(), store::Error);
    EXPECT_THROW(cursor.First(), store::Error);
    folder.writeDatabase(fixture::sampleQuestions(3));
    cursor.Open();
    EXPECT_EQ(cursor.RecordCount(), 3);
}

}  // namespace
