#pragma once

#include <memory>

#include "store/bank_location.h"
#include "store/database.h"

class TfrmMain;
class TfrmAlege;
class TfrmInv_Colreg;
class TfrmColreg_Proc;
class TfrmRezultate;

namespace app {
class Kit;
}

namespace startup {

class HiddenWindowsBuilder;

// The composition root: the program's data and its five windows (the welcome, menu, learning, test and
// results windows), each with this one owner, which `main` keeps on its stack. The database is built
// before the windows and so goes after them: every window, and every view that follows a cursor, is gone
// before the cursors, data sources and connection it uses. The windows go in the reverse order of their
// building, the welcome window (which the others have as their Qt parent) last.
class Program {
public:
    // The bank start-up chose for this run: the welcome window opens `bank.folder`'s Velmaris.mdb, or
    // reports `bank.failure`; a `bank.learningOnly` reason keeps the connection read-only, so that every
    // change, the self-test included, is refused with it. Builds no window yet.
    // `kit` is handed to every window and outlives the program.
    Program(app::Kit& kit, store::BankChoice bank);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // What the program does before its event loop runs: creates the welcome window and shows it. The menu,
    // learning, test and results windows follow in their order, hidden, right after the welcome window's
    // first paint, so that the user sees it sooner; should a user event (a key, a click, a close) or "OK"
    // come first, they are created before it is handled. Either way each exists before the user can reach
    // it.
    void start();

    // The welcome window, which opens the database while it is created (its error boxes come before it
    // shows). Once only.
    TfrmMain& createWelcomeWindow();
    // After the welcome window: the menu, learning, test and results windows, hidden, each handed the data
    // and the windows it opens. Once only: a second call does nothing.
    void createHiddenWindows();

    store::Database& database() { return database_; }
    app::Kit& kit() { return kit_; }
    const store::BankChoice& bank() const { return bank_; }
    // Null until built.
    TfrmMain* welcomeWindow() const { return welcome_.get(); }
    TfrmAlege* menuWindow() const { return menu_.get(); }
    TfrmInv_Colreg* learningWindow() const { return learning_.get(); }
    TfrmColreg_Proc* testWindow() const { return test_.get(); }
    TfrmRezultate* resultsWindow() const { return results_.get(); }

private:
    app::Kit& kit_;
    const store::BankChoice bank_;
    store::Database database_;
    std::unique_ptr<TfrmMain> welcome_;
    std::unique_ptr<TfrmAlege> menu_;
    std::unique_ptr<TfrmInv_Colreg> learning_;
    std::unique_ptr<TfrmColreg_Proc> test_;
    std::unique_ptr<TfrmRezultate> results_;
    // Watches for the first paint or a user event, until the hidden windows are built; goes first.
    std::unique_ptr<HiddenWindowsBuilder> builder_;
};

}  // namespace startup
