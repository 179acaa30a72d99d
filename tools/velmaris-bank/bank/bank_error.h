#pragma once

#include <QString>

#include <stdexcept>

namespace bank {

// A failure of the bank tool, worded for the instructor who runs it.
class BankError : public std::runtime_error {
public:
    explicit BankError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

}  // namespace bank
