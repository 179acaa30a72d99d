#include "store/bank_location.h"

#include <QStandardPaths>
#include <QString>

#include <sqlite3.h>

#include <string>

#include "store/bank_files.h"
#include "store/error.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"

#ifndef VELMARIS_DATA_FROM_EXECUTABLE
#define VELMARIS_DATA_FROM_EXECUTABLE "../../share/velmaris"
#endif

namespace store {

namespace {

using namespace bank_files;

constexpr const char* kBankName = "Velmaris.mdb";

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A free name for an old copy, saying its version: Velmaris-v3.mdb, else Velmaris-v3-2.mdb, ...
std::string keptName(const std::string& folder, int version)
{
    const std::string base = "Velmaris-v" + std::to_string(version);
    std::string path = inFolder(folder, base + ".mdb");
    for (int n = 2; exists(path); ++n)
        path = inFolder(folder, base + "-" + std::to_string(n) + ".mdb");
    return path;
}

}  // namespace

int bankVersion(const std::string& path)
{
    int version = -1;
    const SqliteHandle db(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    if (db.ok()) {
        Statement statement(db.get(), "PRAGMA user_version");
        if (statement.step() == Statement::Step::Row)
            version = static_cast<int>(statement.integer(0));
    }
    return version;
}

BankChoice chooseBank(const BankPlaces& places, const std::function<void(const std::string&)>& note)
{
    const std::string besideExecutable = inFolder(places.executableFolder, kBankName);
    if (isFile(besideExecutable) && userMayWrite(besideExecutable, places.executableFolder))
        return {places.executableFolder, BankUse::BesideExecutable};

    std::string sourceFolder;
    if (isFile(besideExecutable))
        sourceFolder = places.executableFolder;
    else if (!places.installedFolder.empty() && isFile(inFolder(places.installedFolder, kBankName)))
        sourceFolder = places.installedFolder;
    if (sourceFolder.empty())
        return {places.executableFolder, BankUse::Missing};
    const std::string source = inFolder(sourceFolder, kBankName);

    const std::string copy = inFolder(places.userFolder, kBankName);
    // An empty copy holds nothing of the user's: only a crash right after making it leaves one.
    if (!places.userFolder.empty() && isEmptyFile(copy))
        remove(copy);
    if (!places.userFolder.empty() && isFile(copy)) {
        const int installedVersion = bankVersion(source);
        const int copyVersion = bankVersion(copy);
        // An unreadable copy is opened as it is, so that the store reports it and nothing is moved.
        if (copyVersion < 0 || installedVersion <= copyVersion)
            return {places.userFolder, BankUse::UserCopy};
        // A journal left by a crash belongs to the old file; SQLite rolls it back at the next open, after
        // which the copy can be replaced.
        if (isFile(copy + "-journal") || isFile(copy + "-wal")) {
            note("velmaris: a newer question bank (version " + std::to_string(installedVersion) +
                 ") is installed; your copy '" + copy + "' is replaced at the next start");
            return {places.userFolder, BankUse::UserCopy};
        }
        const std::string kept = keptName(places.userFolder, copyVersion);
        if (!userMayWriteIn(places.userFolder) || !addName(copy, kept)) {
            note("velmaris: a newer question bank (version " + std::to_string(installedVersion) +
                 ") is installed, but your copy '" + copy + "' (version " + std::to_string(copyVersion) +
                 ") cannot be replaced: it stays in use");
            return {places.userFolder, BankUse::UserCopy};
        }
        // The old copy now also lives under its kept name; the new bank replaces it in one rename.
        const std::string failure = copyWhole(source, copy, places.userFolder);
        if (!failure.empty()) {
            remove(kept);
            note("velmaris: a newer question bank (version " + std::to_string(installedVersion) +
                 ") is installed, but your copy '" + copy + "' could not be replaced (" + failure +
                 "): it stays in use");
            return {places.userFolder, BankUse::UserCopy};
        }
        note("velmaris: question bank updated to version " + std::to_string(installedVersion) +
             "; your previous copy (version " + std::to_string(copyVersion) + ") is kept as '" + kept + "'");
        return {places.userFolder, BankUse::UserCopy};
    }

    if (!makeWritableFolder(places.userFolder))
        return {sourceFolder, BankUse::Installed};
    const std::string failure = copyWhole(source, copy, places.userFolder);
    if (!failure.empty()) {
        std::string tried = "'" + besideExecutable + "'";
        if (sourceFolder != places.executableFolder)
            tried += ", '" + source + "'";
        throw Error("Could not make your copy of the database '" + copy + "' (" + failure + "); tried " + tried +
                    " and '" + copy + "'");
    }
    return {places.userFolder, BankUse::UserCopy};
}

BankPlaces bankPlacesFor(const std::string& executableFolder)
{
    BankPlaces places;
    places.executableFolder = executableFolder;
#ifdef _WIN32
    // The installer puts the bank beside the program, and the user's copy goes to the roaming
    // %APPDATA%, which follows the user from machine to machine. The folder must not depend on the name
    // the program was started by, which Qt's own application folders would.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        places.userFolder =
            inFolder(QString(roaming).replace(QLatin1Char('\\'), QLatin1Char('/')).toStdString(), "Velmaris");
    else if (!data.isEmpty())
        places.userFolder = inFolder(data.toStdString(), "Velmaris");
#else
    places.installedFolder = inFolder(executableFolder, VELMARIS_DATA_FROM_EXECUTABLE);
    // The program may be started as "velmaris" or "Velmaris"; the folder must not depend on it.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        places.userFolder = inFolder(data.toStdString(), "velmaris");
#endif
    return places;
}

std::string bankFolderFor(const std::string& executableFolder)
{
    return chooseBank(bankPlacesFor(executableFolder),
                      [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); })
        .folder;
}

}  // namespace store
