#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "velmaris-bank/bank/question.h"
#include "velmaris-bank/source/source_format.h"

namespace bank {

// Called while the pictures of a source folder are drawn: done of total.
using Progress = std::function<void(int done, int total)>;

// What a command takes a bank from: build reads sources, export into sources reads a database, the others
// either (a folder is sources, anything else a database).
enum class BankFrom { Sources, Database, Either };

// A bank as every command works on it, whether it came from a source folder or a database file.
struct LoadedBank {
    QString path;
    QList<Question> questions;  // in number order; a database's rows of one number in the order stored
    QList<SourceFault> faults;  // of sources: malformed records, pictures that cannot be drawn or read, VERSION
    // Of sources only:
    int files = 0;
    int pictures = 0;  // records with a picture line
    int version = 1;   // the version stamp, from the file VERSION (1 without it)
};

// Reads a bank. Sources become the rows build writes: R2 the picture line, R3 the record's layout, Poza the
// drawn picture (or the bytes of pictures/NNN.bmp for a file scene). A database gives its Intrebari as they
// are. Throws BankError when the path cannot be read as what is wanted: not a folder, no *.txt in it, no
// such file, not a SQLite database, no table Intrebari or missing columns.
LoadedBank loadBank(const QString& path, BankFrom from, const Progress& progress = {});

}  // namespace bank
