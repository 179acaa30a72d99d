#include "store/bank_location.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "store/bank_files.h"
#include "store/bank_lock.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/soundness.h"
#include "store/sqlite_handle.h"
#include "store/statement.h"
#include "store/user_text.h"

#ifndef VELMARIS_DATA_FROM_EXECUTABLE
#define VELMARIS_DATA_FROM_EXECUTABLE "../../share/velmaris"
#endif

namespace store {

namespace {

using namespace bank_files;

constexpr const char* kBankName = "Velmaris.mdb";
// Taken while a start examines, makes or renews the user's copy; a second start waits for it.
constexpr const char* kCopyLockName = ".Velmaris-copy.lock";

std::string inFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// What a look at a bank file finds: its version stamp and what is wrong with it (empty when nothing).
struct Examined {
    int version = -1;
    std::string damage;
};

std::int64_t pragmaNumber(sqlite3* db, const char* sql)
{
    Statement statement(db, sql);
    return statement.ok() && statement.step() == Statement::Step::Row ? statement.integer(0) : -1;
}

// Opens the file read-only and finds what makes it unusable as a bank: not a database, no tables, a size
// that is not the pages it counts (a file cut short reads as zeros past its end). `thorough` adds SQLite's
// quick_check, which reads every page: for an installed bank before it is copied, not for the user's copy
// at every start (the connection checks that after the first paint). Only for a file without a journal or
// write-ahead log beside it, so all its pages are in the file.
Examined examine(const std::string& path, bool thorough)
{
    Examined found;
    const SqliteHandle db(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    if (!db.ok())
        found.damage = db.get() ? db.errorMessage() : "nu se poate deschide";
    if (found.damage.empty()) {
        const soundness::Tables tables = soundness::readTables(db);
        if (tables == soundness::Tables::Unreadable)
            found.damage = db.errorMessage();
        else if (tables == soundness::Tables::None)
            found.damage = "nu are nicio tabelă";
    }
    if (found.damage.empty())
        found.damage = soundness::missingPages(db, path, soundness::NewestPages::InFile);
    if (found.damage.empty() && thorough)
        found.damage = soundness::quickCheck(db).finding;
    if (found.damage.empty())
        found.version = contentStamp(pragmaNumber(db.get(), "PRAGMA user_version"));
    found.damage = soundness::readableFinding(found.damage);
    return found;
}

// The nearest of the folder and its parents that exists, when it is not a folder.
std::string fileInTheWay(const std::string& folder)
{
    for (std::string path = folder; !path.empty();) {
        if (exists(path))
            return isFolder(path) ? std::string() : path;
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0)
            break;
        path.erase(slash);
    }
    return {};
}

bool hasCrashJournal(const std::string& file)
{
    return isFile(file + "-journal") || isFile(file + "-wal");
}

// Temporary files of copies: being made, or left by a crash that cut a copy short.
QStringList debris(const std::string& folder)
{
    return QDir(QString::fromStdString(folder))
        .entryList({QString::fromLatin1(kCopyTemporaryPrefix) + QLatin1Char('*')},
                   QDir::Files | QDir::Hidden | QDir::System);
}

bool hasDebris(const std::string& folder)
{
    return !debris(folder).isEmpty();
}

// Only under the copy lock, when no copy is being made.
void removeDebris(const std::string& folder)
{
    for (const QString& name : debris(folder))
        remove(inFolder(folder, name.toStdString()));
}

// Copies the recorded results (Studenti, Rezultate, Raspunsuri) of the old copy into the new one, which is
// raised to the schema that holds them, in one transaction. Nothing is done for an old copy that recorded
// nothing. Returns why it failed, or empty text; `carried` tells whether anything came over.
std::string carryResults(const std::string& old, const std::string& into, bool& carried)
{
    carried = false;
    SqliteHandle db(into, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    auto failed = [&db](const std::string& what) {
        return "rezultatele testelor nu au putut fi trecute în banca nouă (" + what + ": " + db.errorMessage() + ")";
    };
    if (!db.ok())
        return failed("deschidere");
    {
        Statement attach(db.get(), "ATTACH DATABASE ? AS old");
        attach.bindText(1, old);
        if (!attach.ok() || !attach.run())
            return failed("copia veche");
    }
    // A copy without these tables (none the program could open) has nothing to carry.
    if (pragmaNumber(db.get(),
                     "SELECT count(*) FROM old.sqlite_master WHERE type = 'table' AND name IN "
                     "('Studenti', 'Rezultate')") != 2)
        return {};
    const std::int64_t rows = pragmaNumber(db.get(),
                                           "SELECT (SELECT count(*) FROM old.Studenti) + "
                                           "(SELECT count(*) FROM old.Rezultate)");
    if (rows < 0)
        return failed("copia veche");
    if (rows == 0)
        return {};
    const int oldLevel = schemaLevel(pragmaNumber(db.get(), "PRAGMA old.user_version"));
    SqliteTransaction transaction;
    if (!transaction.begin(db.get(), SqliteTransaction::Lock::Immediate) || !raiseSchema(db.get()))
        return failed("tabelele rezultatelor");
    // Ids stay as they were: the answers name their test, the tests their student.
    std::string copyRows =
        "INSERT INTO main.Studenti(Id, Nume, Prenume, Grupa) SELECT Id, Nume, Prenume, Grupa FROM old.Studenti;";
    if (oldLevel >= kResultsSchemaLevel)
        copyRows +=
            "INSERT INTO main.Rezultate(Id, Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare) "
            "SELECT Id, Id_Student, Data, Nota, Procent, Corecte, Gresite, Exersare FROM old.Rezultate;"
            "INSERT INTO main.Raspunsuri(Id, Id_Rezultat, Nr_Intreb, Regula, Rb, Rd) "
            "SELECT Id, Id_Rezultat, Nr_Intreb, Regula, Rb, Rd FROM old.Raspunsuri;";
    else
        copyRows +=
            "INSERT INTO main.Rezultate(Id, Id_Student, Data, Nota, Procent) "
            "SELECT Id, Id_Student, Data, Nota, Procent FROM old.Rezultate;";
    if (!execute(db.get(), copyRows) || !transaction.commit())
        return failed("copiere");
    carried = true;
    return {};
}

// The lock under which one start at a time examines and changes the user's copy.
class CopyLock {
public:
    CopyLock(const std::string& folder, const CopyStepObserver& reached)
        : lock_(QString::fromStdString(inFolder(folder, kCopyLockName)))
    {
        lock_.setStaleLockTime(std::chrono::duration_cast<std::chrono::milliseconds>(BankLock::kStaleAfter));
        if (lock_.tryLock(std::chrono::milliseconds::zero()) || lock_.error() != QLockFile::LockFailedError)
            return;
        if (reached)
            reached(CopyStep::WaitingForOtherStart);
        lock_.lock();
    }

private:
    QLockFile lock_;
};

class Chooser {
public:
    Chooser(const BankPlaces& places, const std::function<void(const std::string&)>& note, BankLock* claim,
            const CopyStepObserver& onStep)
        : places_(places), note_(note), onStep_(onStep), callerClaim_(claim), lock_(claim ? claim : &ownLock_)
    {
    }

    BankChoice choose();

private:
    BankChoice userCopy();
    // The copy is there, sound as far as a look tells, and not older than the installed bank.
    bool needsNothing(const std::string& copy);
    BankChoice keep(const std::string& copy);
    BankChoice heal(const std::string& copy, const std::string& damage);
    BankChoice renew(const std::string& copy, int copyVersion, int installedVersion);
    BankChoice make(const std::string& copy);
    // The installed bank, as it is, for learning only: `why` says what kept the user's copy from use.
    BankChoice installedOnly(const std::string& why);
    const Examined& installed();
    void reached(CopyStep step) const
    {
        if (onStep_)
            onStep_(step);
    }

    const BankPlaces& places_;
    const std::function<void(const std::string&)>& note_;
    const CopyStepObserver& onStep_;
    BankLock* callerClaim_;  // held after the choice, for the caller
    BankLock ownLock_;       // for a caller that keeps no lock: the copy is changed under it, released on return
    BankLock* lock_;
    std::string sourceFolder_;
    std::string source_;
    std::optional<Examined> installed_;
};

const Examined& Chooser::installed()
{
    if (!installed_)
        installed_ = examine(source_, true);
    return *installed_;
}

BankChoice Chooser::choose()
{
    const std::string besideExecutable = inFolder(places_.executableFolder, kBankName);
    if (isFile(besideExecutable) && userMayWrite(besideExecutable, places_.executableFolder)) {
        if (callerClaim_)
            callerClaim_->claim(besideExecutable);
        return {places_.executableFolder, BankUse::BesideExecutable, {}, {}};
    }
    if (isFile(besideExecutable))
        sourceFolder_ = places_.executableFolder;
    else if (!places_.installedFolder.empty() && isFile(inFolder(places_.installedFolder, kBankName)))
        sourceFolder_ = places_.installedFolder;
    if (sourceFolder_.empty())
        return {places_.executableFolder, BankUse::Missing, {}, {}};
    source_ = inFolder(sourceFolder_, kBankName);
    return userCopy();
}

BankChoice Chooser::userCopy()
{
    const std::string& folder = places_.userFolder;
    if (folder.empty())
        return installedOnly("nu există un dosar pentru datele dumneavoastră");
    const std::string copy = inFolder(folder, kBankName);
    if (isFolder(folder) && !userMayWriteIn(folder)) {
        // A copy in a folder the user may not write is still the user's: it is read, and written where
        // SQLite can.
        if (!isFile(copy) || isEmptyFile(copy))
            return installedOnly("în dosarul " + inQuotes(folder) + " nu se poate scrie");
        if (callerClaim_ && callerClaim_->claim(copy) == BankLock::State::HeldByOther)
            return {folder, BankUse::UserCopy, {}, {}};
        return keep(copy);
    }
    if (!makeWritableFolder(folder)) {
        const std::string file = fileInTheWay(folder);
        return installedOnly(file.empty() ? "dosarul " + inQuotes(folder) + " nu poate fi făcut"
                                          : inQuotes(file) + " este un fișier, nu un dosar");
    }
    if (exists(copy) && !isFile(copy))
        return installedOnly(inQuotes(copy) + " nu este un fișier");

    // Most starts find the copy as it should be: they take no copy lock, whose making costs a write to the
    // disk. A copy that another start changes meanwhile is seen before or after its one rename, and is
    // judged again under the lock.
    if (needsNothing(copy) && !hasDebris(folder)) {
        if (callerClaim_)
            callerClaim_->claim(copy);
        return {folder, BankUse::UserCopy, {}, {}};
    }
    const CopyLock copying(folder, onStep_);
    removeDebris(folder);
    if (lock_->claim(copy) == BankLock::State::HeldByOther) {
        // Another program has the copy open: it is neither made, nor renewed, nor healed under it.
        if (isFile(copy) && !isEmptyFile(copy))
            return {folder, BankUse::UserCopy, {}, {}};
        return {sourceFolder_, BankUse::Installed, {}, {}};
    }
    // An empty copy holds nothing of the user's: only a crash right after making it leaves one.
    if (isEmptyFile(copy))
        remove(copy);
    if (!isFile(copy))
        return make(copy);
    return keep(copy);
}

bool Chooser::needsNothing(const std::string& copy)
{
    if (!isFile(copy) || isEmptyFile(copy) || hasCrashJournal(copy))
        return false;
    const Examined found = examine(copy, false);
    return found.damage.empty() && bankVersion(source_) <= found.version;
}

BankChoice Chooser::keep(const std::string& copy)
{
    const std::string& folder = places_.userFolder;
    // A journal left by a crash belongs to the copy; SQLite rolls it back at the next open, before which
    // the copy can be judged neither damaged nor old.
    if (hasCrashJournal(copy)) {
        const int installedVersion = bankVersion(source_);
        const int copyVersion = bankVersion(copy);
        if (copyVersion >= 0 && installedVersion > copyVersion)
            note_("Este instalată o bancă de întrebări mai nouă (versiunea " + std::to_string(installedVersion) +
                  "). Copia dumneavoastră " + inQuotes(copy) +
                  " are o scriere neterminată, pe care programul o anulează acum; ea se înlocuiește la "
                  "următoarea pornire.");
        return {folder, BankUse::UserCopy, {}, {}};
    }
    const Examined found = examine(copy, false);
    if (!found.damage.empty())
        return heal(copy, found.damage);
    const int installedVersion = bankVersion(source_);
    if (installedVersion > found.version)
        return renew(copy, found.version, installedVersion);
    return {folder, BankUse::UserCopy, {}, {}};
}

BankChoice Chooser::heal(const std::string& copy, const std::string& damage)
{
    const std::string& folder = places_.userFolder;
    if (!installed().damage.empty())
        throw Error("Copia dumneavoastră a băncii de întrebări " + inQuotes(copy) + " este deteriorată (" + damage +
                    "), iar banca instalată " + inQuotes(source_) +
                    ", din care s-ar reface, nu poate fi nici ea folosită (" + installed().damage +
                    "). Reinstalați Velmaris; copia dumneavoastră rămâne cum este.");
    const std::string aside = inFolder(folder, kDamagedCopyName);
    if (!userMayWriteIn(folder) || !rename(copy, aside))
        return installedOnly(inQuotes(copy) + " este deteriorată (" + damage + ") și nu poate fi pusă deoparte");
    const BankChoice made = make(copy);
    if (made.use == BankUse::UserCopy)
        note_("Copia dumneavoastră a băncii de întrebări era deteriorată (" + damage +
              ") și a fost făcută din nou din banca instalată. Copia deteriorată este păstrată ca " + inQuotes(aside) +
              ".");
    return made;
}

BankChoice Chooser::renew(const std::string& copy, int copyVersion, int installedVersion)
{
    const std::string& folder = places_.userFolder;
    const std::string newer =
        "Este instalată o bancă de întrebări mai nouă (versiunea " + std::to_string(installedVersion) + ")";
    const std::string stays = " Se folosește mai departe copia dumneavoastră " + inQuotes(copy) + " (versiunea " +
                              std::to_string(copyVersion) + ").";
    if (!installed().damage.empty()) {
        note_(newer + ", dar ea nu poate fi folosită (" + installed().damage + ")." + stays +
              " Reinstalați Velmaris ca să primiți banca nouă.");
        return {folder, BankUse::UserCopy, {}, {}};
    }
    // One old copy per version: a name an interrupted renewal already gave the copy is used again, an
    // older copy of the same version gives way to this one.
    const std::string kept = inFolder(folder, "Velmaris-v" + std::to_string(copyVersion) + ".mdb");
    const bool keptBefore = sameFile(copy, kept);
    // The second name is made aside and then takes the kept name in one rename, so that an older copy
    // gives way only to this one.
    const std::string second = inFolder(folder, std::string(kCopyTemporaryPrefix) + "kept");
    if (!keptBefore && (!userMayWriteIn(folder) || !addName(copy, second) || !rename(second, kept))) {
        remove(second);
        note_(newer + ", dar nu poate lua locul copiei dumneavoastră: în dosarul " + inQuotes(folder) +
              " nu se poate păstra copia veche ca " + inQuotes(kept) + "." + stays +
              " Ca să primiți banca nouă, faceți ca în acest dosar să se poată scrie și porniți din nou Velmaris.");
        return {folder, BankUse::UserCopy, {}, {}};
    }
    reached(CopyStep::OldCopyKept);
    bool carried = false;
    const std::string failure = copyWhole(source_, copy, folder, [&](const std::string& temporary) {
        reached(CopyStep::CopyWritten);
        // The new bank arrives with the cadet's recorded results, or does not arrive.
        return carryResults(kept, temporary, carried);
    });
    if (!failure.empty()) {
        if (!keptBefore)
            remove(kept);
        note_(newer + ", dar nu a putut lua locul copiei dumneavoastră (" + failure + ")." + stays);
        return {folder, BankUse::UserCopy, {}, {}};
    }
    note_("Banca de întrebări a fost înnoită la versiunea " + std::to_string(installedVersion) +
          ". Copia dumneavoastră de până acum (versiunea " + std::to_string(copyVersion) +
          "), cu corecturile și testul neterminat din ea, este păstrată ca " + inQuotes(kept) + "." +
          (carried ? " Rezultatele testelor dumneavoastră au trecut în banca nouă." : ""));
    return {folder, BankUse::UserCopy, {}, {}};
}

BankChoice Chooser::make(const std::string& copy)
{
    if (!installed().damage.empty())
        throw Error("Banca de întrebări instalată " + inQuotes(source_) + " nu poate fi folosită (" +
                    installed().damage + "), așa că din ea nu se face copia dumneavoastră. Reinstalați Velmaris.");
    const std::string failure = copyWhole(source_, copy, places_.userFolder, [this](const std::string&) {
        reached(CopyStep::CopyWritten);
        return std::string();
    });
    if (!failure.empty())
        return installedOnly(failure);
    return {places_.userFolder, BankUse::UserCopy, {}, {}};
}

BankChoice Chooser::installedOnly(const std::string& why)
{
    lock_->release();
    const std::string where =
        places_.userFolder.empty() ? std::string() : " în " + inQuotes(inFolder(places_.userFolder, kBankName));
    note_("Copia dumneavoastră a băncii de întrebări nu poate fi făcută" + where + ": " + why +
          ". Se deschide banca instalată " + inQuotes(source_) +
          ", numai pentru învățare. Ca să puteți da teste și face corecturi, îndepărtați ce împiedică copia și "
          "porniți din nou Velmaris.");
    return {sourceFolder_,
            BankUse::Installed,
            "banca de întrebări instalată " + inQuotes(source_) +
                " este deschisă numai pentru învățare, pentru că copia dumneavoastră nu poate fi făcută" + where +
                " (" + why + "). Îndepărtați ce împiedică copia și porniți din nou Velmaris.",
            {}};
}

}  // namespace

int bankVersion(const std::string& path)
{
    int version = -1;
    const SqliteHandle db(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    if (db.ok()) {
        Statement statement(db.get(), "PRAGMA user_version");
        if (statement.step() == Statement::Step::Row)
            version = contentStamp(statement.integer(0));
    }
    return version;
}

BankChoice chooseBank(const BankPlaces& places, const std::function<void(const std::string&)>& note, BankLock* claim,
                      const CopyStepObserver& onStep)
{
    return Chooser(places, note, claim, onStep).choose();
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

}  // namespace store
