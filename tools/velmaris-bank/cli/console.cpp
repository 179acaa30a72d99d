#include "velmaris-bank/cli/console.h"

#include <unistd.h>

#include <cstdio>

namespace console {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage(const QString& message)
{
    err() << "velmaris-bank: " << message << "\n"
          << "Run 'velmaris-bank --help' for the commands.\n";
    return kUsage;
}

std::function<void(int, int)> progressLine(const QString& what)
{
    return [what](int done, int total) {
        if (!isatty(fileno(stderr)))
            return;
        err() << "\r" << what << " " << done << "/" << total << (done == total ? "\n" : "") << Qt::flush;
    };
}

}  // namespace console
