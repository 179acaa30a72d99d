#pragma once

#include <functional>
#include <string>

namespace store {

class BankLock;

// The places where the program may find or keep Velmaris.mdb.
struct BankPlaces {
    std::string executableFolder;  // the portable layout and the build folder keep the bank here
    std::string installedFolder;   // the install's data folder (<prefix>/share/velmaris); may be empty
    std::string userFolder;        // the user's own data folder; may be empty
};

// Where the bank of this run lives, and why.
enum class BankUse {
    BesideExecutable,  // a bank the user may write lies beside the executable: used as it is
    UserCopy,          // the user's own copy (made now, kept, renewed from a newer installed bank or healed)
    Installed,         // no copy of the user's can be used: the installed file is opened, for learning only
    Missing,           // no bank anywhere: the executable's folder is named, and opening reports it
};

struct BankChoice {
    std::string folder;  // holds the Velmaris.mdb to open
    BankUse use = BankUse::Missing;
    // Why the bank is open for learning only and what the user can do, as the reason of a refusal
    // ("... nu poate începe: <learningOnly>"); empty when the run may write it.
    std::string learningOnly;
    // What kept any bank from being chosen, in the user's words; the welcome window reports it and opens
    // nothing. Empty when `folder` holds the bank to open.
    std::string failure;
};

// The steps of making or renewing the user's copy at which a test can hold a start or end it.
enum class CopyStep {
    WaitingForOtherStart,  // another start is examining or making the copy: this one waits for it
    CopyWritten,           // every byte is in the temporary file, which does not yet bear the copy's name
    OldCopyKept,           // renewing: the old copy bears its kept name too, the new one is not yet in place
};
// Called at each of those steps (tests hold a start there); an empty one is never called.
using CopyStepObserver = std::function<void(CopyStep)>;

// Decides which Velmaris.mdb the program opens, making, renewing or healing the user's copy on the way.
// Everything it says (through `note`, one text per event) and throws is the user's text, in Romanian.
// - A bank beside the executable that the user may write (file and folder) is used as it is.
// - Else the installed bank (beside the executable, else in the data folder) is the source of the user's
//   copy in the user folder. The copy is examined and changed only under a lock of its own, so that a
//   second start waits while a first one makes it and then uses that copy; a temporary file that a copy
//   cut short by a crash left is removed first. The copy is made through a temporary file and a rename, so
//   that it arrives whole or not at all, and only from an installed bank that proved sound (SQLite's
//   quick_check): a damaged installed bank throws, telling the user to reinstall.
// - A copy already there is kept, unless it is empty (only a crash while it was made leaves one: made
//   again), damaged (not a database, or cut short: put aside as Velmaris-deteriorat.mdb, replacing an
//   earlier one, and made again from a sound installed bank) or older than the installed bank (PRAGMA
//   user_version: kept beside it as Velmaris-v<N>.mdb, one per version, its scratch rows with it, and the
//   installed bank takes its place, with the recorded results copied into it before it does; when they
//   cannot be, the old copy stays in use). A copy that another program holds (its BankLock), or that has the
//   journal of a crash beside it, is never replaced in this run.
// - Whatever keeps the user's copy from being made or used (no user folder, a file or folder in the way,
//   a folder the user may not write, a copy that fails) opens the installed bank as it is, for learning
//   only, said once with what is in the way.
// - With no bank anywhere, the executable's folder is named, so that opening reports the missing file.
// When `claim` is given it holds the bank's lock afterwards (or says who does), taken before the copy was
// examined; the installed bank opened as it is is not claimed.
BankChoice chooseBank(const BankPlaces& places, const std::function<void(const std::string&)>& note,
                      BankLock* claim = nullptr, const CopyStepObserver& onStep = {});

// The places of the running program: the data folder relative to the executable's folder as installed,
// and the per-user data folder ($XDG_DATA_HOME/velmaris, whatever name the program was started by).
BankPlaces bankPlacesFor(const std::string& executableFolder);

// The content stamp of a bank (the low bits of PRAGMA user_version, store/schema.h); -1 when the file
// cannot be read as a database.
int bankVersion(const std::string& path);

// The name a damaged copy is put aside under.
constexpr const char* kDamagedCopyName = "Velmaris-deteriorat.mdb";

}  // namespace store
