#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "store/connection.h"
#include "store/data_source.h"
#include "store/table_cursor.h"

namespace store {

// The one connection, the one cursor per table and their data sources, shared by every window for
// the whole run. Start-up owns it and hands it to every window when it is built; the welcome window
// opens it. Member names are the ones the windows have always used.
struct Database {
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Points the connection at the database file and opens the four cursors in their order. Throws
    // store::Error at the first that fails; those before it stay open.
    void open(std::string file)
    {
        conColreg.setFile(std::move(file));
        const std::initializer_list<TableCursor*> cursors = {&tblIntrebari, &tblTest, &tblRezultate, &tblStudenti};
        // Every cursor knows the connection, so that one left closed by a failure can be opened later.
        for (TableCursor* cursor : cursors)
            cursor->setConnection(&conColreg);
        for (TableCursor* cursor : cursors)
            cursor->Open();
    }

    Connection conColreg;
    TableCursor tblIntrebari{"tblIntrebari", "Intrebari"};
    TableCursor tblTest{"tblTest", "ManInt"};
    TableCursor tblRezultate{"tblRezultate", "Rezultate"};
    TableCursor tblStudenti{"tblStudenti", "Studenti"};
    DataSource dsIntrebari{"dsIntrebari", tblIntrebari};
    DataSource dsTest{"dsTest", tblTest};
    DataSource dsStudenti{"dsStudenti", tblStudenti};
    DataSource dsrezultate{"dsrezultate", tblRezultate};
};

}  // namespace store
