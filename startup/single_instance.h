#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>

#include "store/bank_location.h"
#include "store/bank_lock.h"

class QLocalServer;

namespace app {
class Kit;
}

namespace startup {

// How this run uses its bank, once the programs already on it have been answered.
struct BankStart {
    // End now: the program already running on the bank was brought to the front, or the user chose to
    // leave rather than open a bank another program holds.
    bool leave = false;
    // The bank this run opens: its folder, or the failure that kept any from being chosen, and why the
    // run only reads it (another program holds it, or the user's copy could not be used).
    store::BankChoice bank;
};

// One program per bank. Before any window opens, it chooses the bank (making or renewing the user's
// copy, store::chooseBank) and claims it by the lock beside it, which it holds for as long as it lives.
// While it holds it, it listens on a local socket named after the bank, the user and the desktop, on
// which a later start on the same desktop asks it to bring its current window to the front; it opens that
// socket once its window is seen (answerLaterStarts), since a later start keeps asking for a few seconds.
// A start that finds the bank held by another program asks that program, through the socket, to come to
// the front, and leaves; where none answers (another user, machine or desktop), it says who holds the
// bank and asks whether to open it for learning only or to leave.
class SingleInstance : public QObject {
public:
    // The question about a bank that another program holds: true to open it for learning only.
    using Ask = std::function<bool(const QString& text)>;

    // `kit` shows the notes of the choice and brings the program's windows to the front when asked; it
    // outlives this object.
    explicit SingleInstance(app::Kit& kit, Ask ask = askInUse);
    ~SingleInstance() override;

    // Chooses the bank of this run and claims it; the notes of its choice, when this run opens it, are
    // shown in one box before any window.
    BankStart start(const QString& executableFolder);
    // While this run holds its bank: listens on the socket and keeps the lock fresh. Called once the
    // welcome window has been painted, so that neither delays it; a second call does nothing.
    void answerLaterStarts();

    // The socket's name of a bank for this user on this desktop.
    static QString serverName(const std::string& bankFile);
    // The real question, in a box with two buttons.
    static bool askInUse(const QString& text);
    // What the question says.
    static QString inUseText(const std::string& bankFile, const store::BankHolder& holder);
    // Why a run that found its bank held only reads it.
    static QString heldElsewhereReason(const std::string& bankFile, const store::BankHolder& holder);

private:
    bool askHolderToCome(const store::BankHolder& holder) const;
    void listen();
    void answer();

    app::Kit& kit_;
    Ask ask_;
    store::BankLock lock_;
    QLocalServer* server_ = nullptr;
    QTimer refresh_;
};

}  // namespace startup
