#pragma once

#include <functional>
#include <string>

namespace store {

// The places where the program may find or keep Velmaris.mdb.
struct BankPlaces {
    std::string executableFolder;  // the portable layout and the build folder keep the bank here
    std::string installedFolder;   // the install's data folder (<prefix>/share/velmaris); may be empty
    std::string userFolder;        // the user's own data folder; may be empty
};

// Where the bank of this run lives, and why.
enum class BankUse {
    BesideExecutable,  // a bank the user may write lies beside the executable: used as it is
    UserCopy,          // the user's own copy (made now, kept, or replaced by a newer installed bank)
    Installed,         // no place the user may write: the installed file is opened as it is
    Missing,           // no bank anywhere: the executable's folder is named, and opening reports it
};

struct BankChoice {
    std::string folder;  // holds the Velmaris.mdb to open
    BankUse use = BankUse::Missing;
};

// Decides which Velmaris.mdb the program opens, making or renewing the user's copy on the way:
// - a bank beside the executable that the user may write (file and folder) is used as it is;
// - else the installed bank (beside the executable, else in the data folder) is the source of the
//   user's copy in the user folder, made through a temporary file and a rename, so that a failed copy
//   leaves nothing behind (the copy reaches the disk in the background; an empty copy, which only a crash
//   just after making it leaves, is made again); a copy already there is kept, unless the installed bank carries a
//   higher version stamp (PRAGMA user_version): then the old copy is kept beside it as Velmaris-v<N>.mdb and the
//   installed bank takes its place (its scratch rows stay with the old copy), said in one line through `note`;
// - when the user folder cannot be written, the installed bank is opened as it is;
// - with no bank anywhere, the executable's folder is named, so that opening reports the missing file.
// Throws store::Error, naming the paths tried, when a copy that should be made cannot be.
BankChoice chooseBank(const BankPlaces& places, const std::function<void(const std::string&)>& note);

// The places of the running program: the data folder relative to the executable's folder as installed,
// and the per-user data folder ($XDG_DATA_HOME/velmaris, whatever name the program was started by).
BankPlaces bankPlacesFor(const std::string& executableFolder);

// The folder of the Velmaris.mdb the program opens; notes go to standard error.
std::string bankFolderFor(const std::string& executableFolder);

// The version stamp of a bank (PRAGMA user_version); -1 when the file cannot be read as a database.
int bankVersion(const std::string& path);

}  // namespace store
