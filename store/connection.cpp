#include "store/connection.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <utility>

#include "store/error.h"
#include "store/soundness.h"
#include "store/statement.h"
#include "store/user_text.h"

namespace store {

namespace {

// The engine's own words help whoever looks into the failure, not the cadet: they come last.
std::string detail(const std::string& engineText)
{
    return " (detalii: " + engineText + ")";
}

std::string lockedText(const std::string& path)
{
    return "Baza de date " + inQuotes(path) +
           " este folosită acum de alt program. Închideți celălalt program, apoi încercați din nou.";
}

std::string unreadableText(const std::string& path)
{
    return "Baza de date " + inQuotes(path) +
           " nu poate fi citită. Porniți din nou programul; dacă se repetă, reinstalați programul sau cereți "
           "instructorului o copie bună a fișierului.";
}

}  // namespace

std::string bankFileIn(const std::string& folder)
{
    if (folder.empty())
        return "Velmaris.mdb";
    return folder.back() == '/' ? folder + "Velmaris.mdb" : folder + "/Velmaris.mdb";
}

std::string replaceFileAdvice()
{
    // The user's own copy of the bank is made anew from the installed one when it is missing at start.
    return "Închideți programul, ștergeți fișierul și porniți din nou programul: o copie nouă a băncii de "
           "întrebări îi ia locul. Dacă nu se face una, reinstalați programul sau cereți instructorului o "
           "copie bună a fișierului.";
}

std::string damagedFileText(const std::string& path, const std::string& finding)
{
    return "Fișierul bazei de date " + inQuotes(path) + " este deteriorat; programul nu scrie nimic în el. " +
           replaceFileAdvice() + detail(soundness::readableFinding(finding));
}

Connection::~Connection()
{
    close();
}

SqliteHandle Connection::openFile(const std::string& path, int flags) const
{
    SqliteHandle db(path, flags | SQLITE_OPEN_NOMUTEX);
    if (!db.ok())
        throw Error("Baza de date " + inQuotes(path) +
                    " nu poate fi deschisă. Verificați că fișierul se poate citi, apoi porniți din nou programul; "
                    "dacă nu merge, cereți ajutorul instructorului." +
                    detail(db.errorMessage()));
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(db.get(), 1);
    // The cursors read every table once at open and keep what they need, pictures included (a few), so a
    // large page cache would only hold picture pages a second time while the learner pages on. A change is
    // never written out early to make room: "Start"'s copy, its largest, holds about three megabytes.
    store::execute(db.get(), "PRAGMA cache_size = -256; PRAGMA cache_spill = OFF");
    return db;
}

namespace {

// A file of random bytes opens "OK" and fails at the first statement; find out now, once.
// Returns SQLITE_ROW when the file reads as a database.
int probe(const SqliteHandle& db, bool& empty)
{
    const soundness::Tables tables = soundness::readTables(db);
    empty = tables == soundness::Tables::None;
    return tables == soundness::Tables::Unreadable ? SQLITE_ERROR : SQLITE_ROW;
}

}  // namespace

void Connection::open()
{
    if (db_.get())
        return;
    const std::string path = file();
    if (path.empty())
        throw Error(
            "Programul nu știe ce fișier să deschidă ca bază de date. Reinstalați programul sau cereți "
            "ajutorul instructorului.");

    // SQLite would create a missing file; the program must report it instead. The path is UTF-8, as
    // SQLite takes it; Qt reads it so on Windows too, where a folder name may hold "ș" or "ț".
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        throw Error("Fișierul bazei de date " + inQuotes(path) +
                    " nu există. Reinstalați programul sau cereți instructorului o copie a fișierului.");
    if (!info.isFile())
        throw Error("În locul fișierului bazei de date " + inQuotes(path) +
                    " se află un dosar. Mutați dosarul în altă parte, apoi reinstalați programul sau cereți "
                    "instructorului o copie a fișierului.");

    SqliteHandle db = openFile(path, SQLITE_OPEN_READONLY);
    bool empty = false;
    int step = probe(db, empty);
    if (step != SQLITE_ROW && sqlite3_extended_errcode(db.get()) == SQLITE_READONLY_ROLLBACK) {
        // A write that never finished left its journal: SQLite puts the file back as it was before
        // that write, which takes a read-write connection for a moment.
        db.closeWithoutCheckpoint();
        SqliteHandle recovery = openFile(path, SQLITE_OPEN_READWRITE);
        bool ignored = false;
        probe(recovery, ignored);
        recovery.closeWithoutCheckpoint();
        db = openFile(path, SQLITE_OPEN_READONLY);
        step = probe(db, empty);
    }
    if (step != SQLITE_ROW) {
        const int code = sqlite3_errcode(db.get()) & 0xff;
        const std::string message = sqlite3_errmsg(db.get());
        db.closeWithoutCheckpoint();
        if (code == SQLITE_NOTADB)
            throw Error("Fișierul " + inQuotes(path) + " nu este o bază de date Velmaris. " + replaceFileAdvice() +
                        detail(message));
        if (code == SQLITE_CORRUPT)
            throw Error(damagedFileText(path, message));
        if (code == SQLITE_BUSY)
            throw Error(lockedText(path) + detail(message));
        throw Error(unreadableText(path) + detail(message));
    }
    if (empty) {
        db.closeWithoutCheckpoint();
        throw Error("Fișierul bazei de date " + inQuotes(path) + " este gol: nu are nicio tabelă. " +
                    replaceFileAdvice());
    }
    db_ = std::move(db);
}

std::string Connection::engineFailure(const std::string& what) const
{
    sqlite3* db = db_.get();
    const int code = db ? (sqlite3_errcode(db) & 0xff) : SQLITE_ERROR;
    const std::string message = db ? sqlite3_errmsg(db) : "nicio conexiune";
    const std::string named = inQuotes(file());
    if (code == SQLITE_BUSY)
        return what + ". " + lockedText(file()) + detail(message);
    if (code == SQLITE_READONLY)
        return what + ": baza de date " + named +
               " poate fi doar citită. Pentru a păstra modificările, cereți instructorului dreptul de a scrie "
               "în acest fișier." +
               detail(message);
    if (code == SQLITE_FULL)
        return what + ": discul este plin. Faceți loc pe disc, apoi încercați din nou." + detail(message);
    if (code == SQLITE_CORRUPT)
        return what + ". " + damagedFileText(file(), message);
    return what + ". Încercați din nou; dacă se repetă, porniți din nou programul." + detail(message);
}

void Connection::close()
{
    // Only a file that proved sound gets its write-ahead log checkpointed.
    if (access_ == Access::Writable)
        db_.close();
    else
        db_.closeWithoutCheckpoint();
}

void Connection::refuseWrites()
{
    access_ = Access::Refused;
}

std::string Connection::checkStructure()
{
    if (access_ != Access::Unchecked || !db_.get())
        return refusal_;
    // The file may be in write-ahead log mode, whose newest pages may still be in the log.
    std::string finding = soundness::missingPages(db_, file(), soundness::NewestPages::MayBeInLog);
    if (finding.empty()) {
        const soundness::QuickCheck check = soundness::quickCheck(db_);
        if (!check.conclusive) {
            // Not a finding about the file (another program's lock, say): the next write checks again.
            if (check.code == SQLITE_BUSY)
                throw Error(lockedText(file()) + detail(check.finding));
            throw Error(unreadableText(file()) + detail(check.finding));
        }
        finding = check.finding;
    }
    if (!finding.empty()) {
        refusal_ = finding;
        access_ = Access::Refused;
        return refusal_;
    }

    if (!readOnly_.empty()) {
        access_ = Access::ReadOnly;
        return {};
    }
    // Sound: the read-only connection gives way to a read-write one on the same file.
    if (!sqlite3_get_autocommit(db_.get()))
        throw Error("Baza de date " + inQuotes(file()) +
                    " nu poate fi pregătită pentru scriere cât timp o modificare este în curs. Încercați din nou.");
    SqliteHandle writable = openFile(file(), SQLITE_OPEN_READWRITE);
    db_.closeWithoutCheckpoint();
    db_ = std::move(writable);
    access_ = Access::Writable;
    return {};
}

void Connection::ensureWritable()
{
    if (!readOnly_.empty())
        throw Error("Nu se poate scrie în banca de întrebări: " + readOnly_);
    if (access_ == Access::Unchecked)
        checkStructure();
    if (access_ == Access::Refused || !db_.get())
        failRefused();
}

void Connection::failRefused() const
{
    if (refusal_.empty())
        throw Error("baza de date " + inQuotes(file()) +
                    " nu se modifică în această rulare, pentru că nu a putut fi deschisă la pornire. Închideți "
                    "programul, rezolvați ce a arătat mesajul de la pornire și porniți-l din nou.");
    throw Error("baza de date " + inQuotes(file()) +
                " nu se modifică în această rulare, pentru că este "
                "deteriorată. " +
                replaceFileAdvice() + detail(refusal_));
}

}  // namespace store
