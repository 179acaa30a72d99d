#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

#include "question.h"
#include "source_format.h"

namespace bank {

// Called while pictures are drawn: done of total.
using Progress = std::function<void(int done, int total)>;

struct Assembled {
    QList<Question> questions;  // in number order
    QList<SourceFault> faults;  // source faults, and pictures that cannot be drawn or read
    int files = 0;
    int pictures = 0;
    int version = 1;  // the bank's version stamp, from the file VERSION of the sources (1 without it)
};

// Reads the sources and makes the database rows: R2 the picture line, R3 the layout, Poza the drawn picture
// (or the bytes of pictures/NNN.bmp for a file scene). A new version stamp in VERSION makes installed programs
// replace their users' copies of an older bank. Throws BankError when the folder cannot be read.
Assembled assembleSources(const QString& folder, const Progress& progress = {});

struct ExportResult {
    QStringList written;   // file names relative to the folder
    QStringList removed;   // stale sources removed under --force
    QStringList warnings;  // what the sources could not carry as it was
};

// Writes the sources of a database into a folder: the reverse of build. A picture that is not what its
// description draws goes to pictures/NNN.bmp, with the PIC line "NNN.bmp | file". Refuses a folder that
// already holds sources (*.txt or pictures/*.bmp) unless force, which replaces them. Throws BankError.
ExportResult exportDatabase(const QString& databasePath, const QString& folder, bool force);

}  // namespace bank
