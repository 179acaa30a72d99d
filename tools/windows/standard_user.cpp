// standard_user.exe COMMAND LINE: runs the command with the token Windows gives a user who is not an
// administrator, or an administrator's program that was not elevated: the Administrators group only
// denies, never grants. wine runs every program as an elevated administrator, so the install test starts
// the installer through this to install as a cadet on a school's machine does. Waits for the command and
// ends with its exit code; 1000 + the system's error when the command cannot be started.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

// The command line after this program's own name, as Windows parses it (quoted or not).
const wchar_t* commandAfterOwnName(const wchar_t* line)
{
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

int failed(const char* what)
{
    const DWORD error = ::GetLastError();
    std::fprintf(stderr, "standard_user: %s failed (%lu)\n", what, error);
    return 1000 + static_cast<int>(error);
}

}  // namespace

int main()
{
    const wchar_t* command = commandAfterOwnName(::GetCommandLineW());
    if (!*command) {
        std::fprintf(stderr, "usage: standard_user.exe COMMAND [ARGUMENTS]\n");
        return 2;
    }
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, &own))
        return failed("OpenProcessToken");
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                    0, &administrators))
        return failed("AllocateAndInitializeSid");
    SID_AND_ATTRIBUTES denyOnly = {administrators, 0};
    HANDLE restricted = nullptr;
    if (!::CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted))
        return failed("CreateRestrictedToken");

    // CreateProcess may write into the command line it is given.
    const std::size_t length = std::wcslen(command);
    wchar_t* writable = new wchar_t[length + 1];
    std::wmemcpy(writable, command, length + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const BOOL started = ::CreateProcessAsUserW(restricted, nullptr, writable, nullptr, nullptr, FALSE, 0, nullptr,
                                                nullptr, &startup, &process);
    delete[] writable;
    if (!started)
        return failed("CreateProcessAsUser");
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(restricted);
    ::FreeSid(administrators);
    ::CloseHandle(own);
    return static_cast<int>(code);
}
