#pragma once

#include "store/connection.h"
#include "store/data_source.h"
#include "store/table_cursor.h"

namespace store {

// The one connection, the one cursor per table and their data sources, shared by every window for
// the whole run. The welcome window owns it and opens it; the other windows receive it when they are
// built. Member names are the ones the windows have always used.
struct Database {
    Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

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
