#include "store/bank_location.h"

#include <QStandardPaths>
#include <QString>

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "store/error.h"
#include "store/statement.h"

#ifndef VELMARIS_DATA_FROM_EXECUTABLE
#define VELMARIS_DATA_FROM_EXECUTABLE "../../share/velmaris"
#endif

namespace store {

namespace {

constexpr const char* kBankName = "Velmaris.mdb";

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool isFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// SQLite writes a journal beside the file, so a bank is writable only in a folder the user may write.
bool userMayWrite(const std::string& file, const std::string& folder)
{
    return ::access(file.c_str(), R_OK | W_OK) == 0 && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Makes the folder and its missing parents; false when it cannot be written afterwards.
bool makeWritableFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    return isFolder(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string systemMessage(int error)
{
    return std::strerror(error);
}

// Makes the copy's bytes and its name durable. It runs beside the start-up, so that the first paint does
// not wait for the disk; a crash before it ends can leave only an empty copy, which the next start
// makes again (see chooseBank).
void syncInBackground(int file, const std::string& folder)
{
    std::thread([file, folder] {
        ::fdatasync(file);
        ::close(file);
        const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (directory >= 0) {
            ::fsync(directory);
            ::close(directory);
        }
    }).detach();
}

// Copies every byte of `in` to `out`; in the kernel where it can.
std::string copyBytes(int in, int out)
{
    for (bool kernel = true;;) {
        ssize_t moved = -1;
        if (kernel) {
            moved = ::copy_file_range(in, nullptr, out, nullptr, 1 << 24, 0);
            if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                kernel = false;
                continue;
            }
        } else {
            static thread_local std::vector<char> buffer(1 << 20);
            moved = ::read(in, buffer.data(), buffer.size());
            for (ssize_t written = 0; moved > 0 && written < moved;) {
                const ssize_t put = ::write(out, buffer.data() + written, static_cast<std::size_t>(moved - written));
                if (put < 0 && errno != EINTR)
                    return systemMessage(errno);
                written += std::max<ssize_t>(put, 0);
            }
        }
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return systemMessage(errno);
        if (moved == 0)
            return {};
    }
}

// Copies source to target through a temporary file in the target's folder and a rename: either the whole
// file arrives or nothing does. Returns an empty text on success, else why it failed.
std::string copyWhole(const std::string& source, const std::string& target, const std::string& targetFolder)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return "cannot read '" + source + "': " + systemMessage(errno);
    std::string temporary = inFolder(targetFolder, ".Velmaris.mdb.XXXXXX");
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return "cannot write in '" + targetFolder + "': " + systemMessage(error);
    }
    temporary = name.data();

    std::string failure = copyBytes(in, out);
    if (!failure.empty())
        failure = "cannot copy '" + source + "' to '" + temporary + "': " + failure;
    ::close(in);
    if (failure.empty() && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = "cannot rename '" + temporary + "' to '" + target + "': " + systemMessage(errno);
    if (!failure.empty()) {
        ::close(out);
        ::unlink(temporary.c_str());
        return failure;
    }
    syncInBackground(out, targetFolder);
    return {};
}

// A free name for an old copy, saying its version: Velmaris-v3.mdb, else Velmaris-v3-2.mdb, ...
std::string keptName(const std::string& folder, int version)
{
    const std::string base = "Velmaris-v" + std::to_string(version);
    std::string path = inFolder(folder, base + ".mdb");
    for (int n = 2; ::access(path.c_str(), F_OK) == 0; ++n)
        path = inFolder(folder, base + "-" + std::to_string(n) + ".mdb");
    return path;
}

}  // namespace

int bankVersion(const std::string& path)
{
    sqlite3* db = nullptr;
    int version = -1;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) == SQLITE_OK) {
        Statement statement(db, "PRAGMA user_version");
        if (statement.step() == Statement::Step::Row)
            version = static_cast<int>(statement.integer(0));
    }
    sqlite3_close(db);
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
    struct stat copyInfo {};
    if (!places.userFolder.empty() && ::stat(copy.c_str(), &copyInfo) == 0 && S_ISREG(copyInfo.st_mode) &&
        copyInfo.st_size == 0)
        ::unlink(copy.c_str());
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
        if (::access(places.userFolder.c_str(), W_OK | X_OK) != 0 || ::link(copy.c_str(), kept.c_str()) != 0) {
            note("velmaris: a newer question bank (version " + std::to_string(installedVersion) +
                 ") is installed, but your copy '" + copy + "' (version " + std::to_string(copyVersion) +
                 ") cannot be replaced: it stays in use");
            return {places.userFolder, BankUse::UserCopy};
        }
        // The old copy now also lives under its kept name; the new bank replaces it in one rename.
        const std::string failure = copyWhole(source, copy, places.userFolder);
        if (!failure.empty()) {
            ::unlink(kept.c_str());
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
    places.installedFolder = inFolder(executableFolder, VELMARIS_DATA_FROM_EXECUTABLE);
    // The program may be started as "velmaris" or "Velmaris"; the folder must not depend on it.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        places.userFolder = inFolder(data.toStdString(), "velmaris");
    return places;
}

std::string bankFolderFor(const std::string& executableFolder)
{
    return chooseBank(bankPlacesFor(executableFolder),
                      [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); })
        .folder;
}

}  // namespace store
