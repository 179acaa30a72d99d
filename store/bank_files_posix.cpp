#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "store/bank_files.h"

namespace store::bank_files {

namespace {

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string systemMessage(int error)
{
    return std::strerror(error);
}

// Makes the copy's bytes and its name durable. It runs beside the start-up; a crash before it ends can
// leave only an empty copy, which the next start makes again.
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
    std::vector<char> buffer;
    for (bool kernel = true;;) {
        ssize_t moved = -1;
        if (kernel) {
            moved = ::copy_file_range(in, nullptr, out, nullptr, 1 << 24, 0);
            if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                kernel = false;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(1 << 20);
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

}  // namespace

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

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

bool isEmptyFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0;
}

bool userMayWrite(const std::string& file, const std::string& folder)
{
    return ::access(file.c_str(), R_OK | W_OK) == 0 && userMayWriteIn(folder);
}

bool userMayWriteIn(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool makeWritableFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    return isFolder(folder) && userMayWriteIn(folder);
}

std::string copyWhole(const std::string& source, const std::string& target, const std::string& targetFolder,
                      const std::function<std::string(const std::string& temporary)>& beforeRename)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return "nu se poate citi '" + source + "': " + systemMessage(errno);
    std::string temporary = inFolder(targetFolder, std::string(kCopyTemporaryPrefix) + "XXXXXX");
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    const int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return "nu se poate scrie în '" + targetFolder + "': " + systemMessage(error);
    }
    temporary = name.data();

    std::string failure = copyBytes(in, out);
    if (!failure.empty())
        failure = "nu se poate copia '" + source + "' în '" + temporary + "': " + failure;
    ::close(in);
    if (failure.empty() && beforeRename)
        failure = beforeRename(temporary);
    if (failure.empty() && ::rename(temporary.c_str(), target.c_str()) != 0)
        failure = "nu se poate redenumi '" + temporary + "' în '" + target + "': " + systemMessage(errno);
    if (!failure.empty()) {
        ::close(out);
        ::unlink(temporary.c_str());
        return failure;
    }
    syncInBackground(out, targetFolder);
    return {};
}

bool addName(const std::string& existing, const std::string& name)
{
    return ::link(existing.c_str(), name.c_str()) == 0;
}

bool rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool sameFile(const std::string& first, const std::string& second)
{
    struct stat a {
    }, b{};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

bool touch(const std::string& path)
{
    return ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}

void remove(const std::string& path)
{
    ::unlink(path.c_str());
}

Owner ownerOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    Owner owner;
    owner.mine = info.st_uid == ::geteuid();
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(info.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        owner.name = found->pw_name;
    else
        owner.name = std::to_string(info.st_uid);
    return owner;
}

std::string machineName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

}  // namespace store::bank_files
