#pragma once

#include <QString>

#include <memory>

#include "store/database.h"

class TfrmMain;
class TfrmAlege;
class TfrmInv_Colreg;
class TfrmColreg_Proc;
class TfrmRezultate;

namespace startup {

// The composition root: the program's data and its four windows, each with this one owner. The database
// is built before the windows and so goes after them: every window, and every view that follows a cursor,
// is gone before the cursors, data sources and connection it uses. The windows go in the reverse order of
// their building, the welcome window (which the others have as their Qt parent) last.
//
// The windows are published in the program-wide pointers of startup/windows.h while they exist.
class Program {
public:
    // `databaseFolder` is the executable's folder; tests give a folder of their own. Builds no window yet.
    explicit Program(const QString& databaseFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The welcome window, which opens the database while it is created (its error boxes come before it
    // shows).
    TfrmMain& createWelcomeWindow();
    // After the welcome window: the menu, learning, test and results windows, hidden, each handed the data
    // and the windows it opens. Once only: a second call does nothing.
    void createHiddenWindows();

    store::Database& database() { return database_; }
    TfrmMain* welcomeWindow() const { return welcome_.get(); }
    TfrmAlege* menuWindow() const { return menu_.get(); }

private:
    QString databaseFolder_;
    store::Database database_;
    std::unique_ptr<TfrmMain> welcome_;
    std::unique_ptr<TfrmAlege> menu_;
    std::unique_ptr<TfrmInv_Colreg> learning_;
    std::unique_ptr<TfrmColreg_Proc> test_;
    std::unique_ptr<TfrmRezultate> results_;
};

}  // namespace startup
