#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <aclapi.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "store/bank_files.h"

namespace store::bank_files {

namespace {

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), size);
    return text;
}

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string systemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(error) : utf8(text);
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

DWORD attributesOf(const std::string& path)
{
    return ::GetFileAttributesW(wide(path).c_str());
}

// A name no other file in the folder has, made as an empty file that only this process has open.
HANDLE createUnique(const std::string& folder, const std::string& stem, DWORD flags, std::string& path)
{
    // CREATE_NEW fails on a name already taken, so two copies started at the same moment each end up
    // with a name of their own by trying again with the next attempt's number.
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = inFolder(folder, stem + std::to_string(::GetCurrentProcessId()) + "-" +
                                    std::to_string(::GetTickCount64() % 100000) + "-" + std::to_string(attempt));
        const HANDLE file =
            ::CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool isFile(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isFolder(const std::string& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool exists(const std::string& path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isEmptyFile(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data) &&
           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

// Windows says whether a write is allowed only by trying it: the read-only attribute, the folder's
// access rights (Program Files for a user who is not an administrator) and a file another program holds.
// Opening for writing changes nothing in the file.
bool userMayWrite(const std::string& file, const std::string& folder)
{
    const DWORD attributes = attributesOf(file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    const HANDLE handle = ::CreateFileW(wide(file).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return userMayWriteIn(folder);
}

bool userMayWriteIn(const std::string& folder)
{
    std::string probe;
    const HANDLE handle =
        createUnique(folder, ".velmaris-probe-", FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, probe);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

bool makeWritableFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::CreateDirectoryW(wide(folder.substr(0, slash)).c_str(), nullptr);
    ::CreateDirectoryW(wide(folder).c_str(), nullptr);
    return isFolder(folder) && userMayWriteIn(folder);
}

std::string copyWhole(const std::string& source, const std::string& target, const std::string& targetFolder,
                      const std::function<std::string(const std::string& temporary)>& beforeRename)
{
    const HANDLE in = ::CreateFileW(wide(source).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return "nu se poate citi '" + source + "': " + systemMessage(::GetLastError());
    // Made with plain attributes, so that the copy of a read-only installed bank is writable.
    std::string temporary;
    const HANDLE out = createUnique(targetFolder, kCopyTemporaryPrefix, FILE_ATTRIBUTE_NORMAL, temporary);
    if (out == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(in);
        return "nu se poate scrie în '" + targetFolder + "': " + systemMessage(error);
    }

    std::string failure;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in, buffer.data(), DWORD(buffer.size()), &got, nullptr)) {
            failure = systemMessage(::GetLastError());
            break;
        }
        if (got == 0)
            break;
        DWORD put = 0;
        if (!::WriteFile(out, buffer.data(), got, &put, nullptr) || put != got) {
            failure = systemMessage(::GetLastError());
            break;
        }
    }
    ::CloseHandle(in);
    if (!failure.empty())
        failure = "nu se poate copia '" + source + "' în '" + temporary + "': " + failure;
    if (failure.empty() && beforeRename)
        failure = beforeRename(temporary);
    // The open handle shares deletion, so the file can take its name while its bytes still go to disk.
    if (failure.empty() && !::MoveFileExW(wide(temporary).c_str(), wide(target).c_str(), MOVEFILE_REPLACE_EXISTING))
        failure = "nu se poate redenumi '" + temporary + "' în '" + target + "': " + systemMessage(::GetLastError());
    if (!failure.empty()) {
        ::CloseHandle(out);
        ::DeleteFileW(wide(temporary).c_str());
        return failure;
    }
    // A crash before the flush ends can leave only an empty copy, which the next start makes again.
    std::thread([out] {
        ::FlushFileBuffers(out);
        ::CloseHandle(out);
    }).detach();
    return {};
}

bool addName(const std::string& existing, const std::string& name)
{
    return ::CreateHardLinkW(wide(name).c_str(), wide(existing).c_str(), nullptr) != 0;
}

bool rename(const std::string& from, const std::string& to)
{
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

namespace {

bool identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE file =
        ::CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool got = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    return got;
}

}  // namespace

bool sameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return identity(first, a) && identity(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Asks only for the right to change the file's times, which the sharing of a handle that holds the file
// open for writing (a lock file's) does not refuse.
bool touch(const std::string& path)
{
    const HANDLE file =
        ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const bool set = ::SetFileTime(file, nullptr, nullptr, &now) != 0;
    ::CloseHandle(file);
    return set;
}

void remove(const std::string& path)
{
    ::DeleteFileW(wide(path).c_str());
}

namespace {

// Whether the account is the one this process runs under.
bool isThisUser(PSID account)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    const bool same = size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
                      ::EqualSid(account, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    ::CloseHandle(token);
    return same;
}

}  // namespace

Owner ownerOf(const std::string& path)
{
    PSID account = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(wide(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &account, nullptr,
                                nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return {};
    Owner owner;
    owner.mine = isThisUser(account);
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use{};
    if (::LookupAccountSidW(nullptr, account, name, &nameSize, domain, &domainSize, &use))
        owner.name = utf8(std::wstring(name, nameSize));
    ::LocalFree(descriptor);
    return owner;
}

std::string machineName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &size))
        return {};
    return utf8(std::wstring(name, size));
}

}  // namespace store::bank_files
