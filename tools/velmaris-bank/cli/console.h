#pragma once

#include <QString>
#include <QTextStream>

#include <functional>

// The tool's standard output and error, shared by all its commands.
namespace console {

inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

QTextStream& out();
QTextStream& err();

// Prints what is wrong with the command line and where the help is; returns kUsage.
int usage(const QString& message);

// A live "what done/total" counter on standard error when a person watches; nothing when a log does.
std::function<void(int done, int total)> progressLine(const QString& what);

}  // namespace console
