#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "velmaris-bank/formats/bank_import.h"

// What each command of the tool does once its command line has been read: load the bank, do the work, and
// report on the console. Each returns the exit status (0 success, 1 failure); a BankError is left to the
// caller, which reports it as a failure.
namespace bank::commands {

struct Build {
    QString sources;
    QString output;
    bool force = false;
};
int build(const Build& request);

int check(const QString& path);

// export FILE -o DIR: a database back into sources.
struct ExportToSources {
    QString database;
    QString folder;
    bool force = false;
};
int exportToSources(const ExportToSources& request);

// export FILE|SOURCES --format F -o OUT.
struct ExportToFormat {
    QString bank;
    ExchangeFormat format = ExchangeFormat::MoodleXml;
    QString output;
    bool force = false;
};
int exportToFormat(const ExportToFormat& request);

// results BANK --csv: the recorded tests of a user's bank as CSV on standard output. Reads only.
int resultsCsv(const QString& bank);

struct Import {
    QString file;
    QString folder;
    std::optional<ExchangeFormat> format;  // nullopt: told apart by name and content
    std::optional<int> first;              // nullopt: after the highest number of the folder
    bool skipInvalid = false;
};
int importFile(const Import& request);

struct Print {
    QString bank;
    QString output;
    bool force = false;
    std::optional<std::uint32_t> sheetSeed;  // a test sheet drawn from this seed; nullopt: the whole bank
    bool mono = false;                       // the pictures' lights and shapes also in words
};
int print(const Print& request);

}  // namespace bank::commands
