#pragma once

#include <QStringList>

// The commands that take the bank out of Velmaris and back in: export to Moodle XML, GIFT and Aiken, import of
// those formats into sources, and printing. Each takes the arguments after its name and returns the exit status
// (0 success, 1 failure, 2 wrong command line); a BankError is left to the caller.
namespace exchange {

int exportFormat(const QStringList& args);  // export with --format
int importFile(const QStringList& args);
int print(const QStringList& args);

// Whether a command draws text and so needs a QGuiApplication.
bool needsGui(const QString& command);

}  // namespace exchange
