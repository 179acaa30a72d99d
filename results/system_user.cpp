#include "results/student.h"

#ifdef _WIN32
#define SECURITY_WIN32
#include <windows.h>
// After windows.h, whose base types it uses.
#include <security.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <vector>

namespace results {

namespace {

// The full name where there is one, else the login name.
QString systemUserName()
{
#ifdef _WIN32
    ULONG size = 0;
    GetUserNameExW(NameDisplay, nullptr, &size);
    if (size > 0) {
        std::vector<wchar_t> name(size + 1);
        if (GetUserNameExW(NameDisplay, name.data(), &size))
            if (const QString full = QString::fromWCharArray(name.data(), int(size)).trimmed(); !full.isEmpty())
                return full;
    }
    DWORD length = 0;
    GetUserNameW(nullptr, &length);
    if (length > 0) {
        std::vector<wchar_t> login(length + 1);
        if (GetUserNameW(login.data(), &length))
            return QString::fromWCharArray(login.data()).trimmed();
    }
    return qEnvironmentVariable("USERNAME");
#else
    if (const passwd* entry = getpwuid(getuid())) {
        // GECOS: the full name, then room, telephones, ... after commas.
        const QString gecos = QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "");
        const QString full = gecos.section(QLatin1Char(','), 0, 0).trimmed();
        if (!full.isEmpty())
            return full;
        if (entry->pw_name && *entry->pw_name)
            return QString::fromLocal8Bit(entry->pw_name);
    }
    return qEnvironmentVariable("USER");
#endif
}

}  // namespace

Student systemUserStudent()
{
    const QString name = systemUserName().simplified();
    Student student;
    const qsizetype blank = name.lastIndexOf(QLatin1Char(' '));
    if (blank < 0) {
        student.nume = name;
    } else {
        // "Ion Popescu": the family name comes last in a display name.
        student.nume = name.mid(blank + 1);
        student.prenume = name.left(blank);
    }
    return student;
}

}  // namespace results
