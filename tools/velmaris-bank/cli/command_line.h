#pragma once

#include <QString>
#include <QStringList>

// The tool's command line: its commands, their options, the help and the usage errors. Every command is read
// by one QCommandLineParser setup and handed to bank::commands.
namespace bank::cli {

// Whether a command draws text and so needs a QGuiApplication rather than a QCoreApplication.
bool needsGui(const QString& command);

// Runs the command line given after the program's name. Returns the exit status: 0 success, 1 failure
// (faults or errors, reported on standard error), 2 wrong command line.
int run(QStringList arguments);

}  // namespace bank::cli
