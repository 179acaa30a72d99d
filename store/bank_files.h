#pragma once

#include <functional>
#include <string>

// The few file operations that placing the bank needs, over the system's own calls: paths are UTF-8
// text with '/' separators on every system (Windows' narrow calls would read them in the ANSI code
// page and lose a user name with diacritics).
namespace store::bank_files {

bool isFile(const std::string& path);
bool isFolder(const std::string& path);
bool exists(const std::string& path);
// A regular file of no bytes.
bool isEmptyFile(const std::string& path);
// The user may write the file and make files beside it (SQLite's journal).
bool userMayWrite(const std::string& file, const std::string& folder);
bool userMayWriteIn(const std::string& folder);
// Makes the folder and its missing parents; false when it cannot be written afterwards.
bool makeWritableFolder(const std::string& folder);
// The prefix of the temporary file a copy is made in, in the target's folder: what a copy cut short by a
// crash leaves behind is found by it.
constexpr const char* kCopyTemporaryPrefix = ".Velmaris.mdb.";
// Copies source to target through a temporary file in the target's folder and a rename: either the whole
// file arrives or nothing does. The copy is the user's: writable whatever the source's permissions. Its
// bytes reach the disk in the background, so that the first paint does not wait for the disk.
// `beforeRename` runs when every byte is in the temporary file, with its path: it may add to the copy (the
// results carried over from a renewed copy) and returns why it failed, or empty text; a failure leaves
// the target as it was. Tests hold or end the copy there. Returns an empty text on success, else why it
// failed.
std::string copyWhole(const std::string& source, const std::string& target, const std::string& targetFolder,
                      const std::function<std::string(const std::string& temporary)>& beforeRename = {});
// A second name for an existing file (a hard link); false when the file system has none.
bool addName(const std::string& existing, const std::string& name);
// Gives the file the other name, replacing a file of that name; false when it cannot.
bool rename(const std::string& from, const std::string& to);
// Both names lead to the same file.
bool sameFile(const std::string& first, const std::string& second);
// Sets the file's modification time to now, while another handle holds it open; false when it cannot.
bool touch(const std::string& path);
void remove(const std::string& path);

// The owner of a file: the account's name (empty when the system cannot name it), and whether it is the
// user running this program.
struct Owner {
    std::string name;
    bool mine = false;
};
Owner ownerOf(const std::string& path);
// The machine's name as Qt's lock files record it (on Windows the computer name, not the DNS one).
std::string machineName();

}  // namespace store::bank_files
