#pragma once

#include <QString>
#include <QStringList>

#include "velmaris-bank/source/bank_load.h"

namespace bank {

struct ExportResult {
    QStringList written;   // file names relative to the folder
    QStringList removed;   // stale sources removed under --force
    QStringList warnings;  // what the sources could not carry as it was
};

// Writes the sources of a bank read from a database into a folder: the reverse of build. A picture that is not
// what its description draws goes to pictures/NNN.bmp, with the PIC line "NNN.bmp | file". Refuses a folder
// that already holds sources (*.txt or pictures/*.bmp) unless force, which replaces them. Throws BankError,
// naming the database for a row that no source can hold.
ExportResult exportSources(const LoadedBank& bank, const QString& folder, bool force);

}  // namespace bank
