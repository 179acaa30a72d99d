#include "startup/program.h"

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "learning/frm_inv_colreg.h"
#include "startup/windows.h"
#include "testing/frm_colreg_proc.h"

namespace startup {

Program::Program(const QString& databaseFolder) : databaseFolder_(databaseFolder) {}

Program::~Program()
{
    frmColreg_Proc = nullptr;
    frmInv_Colreg = nullptr;
    frmAlege = nullptr;
    frmMain = nullptr;
    // The members go in their reverse order: the test, learning and menu windows, the welcome window, and
    // then the database.
}

TfrmMain& Program::createWelcomeWindow()
{
    welcome_ = std::make_unique<TfrmMain>(database_, databaseFolder_);
    frmMain = welcome_.get();
    return *welcome_;
}

void Program::createHiddenWindows()
{
    if (menu_)
        return;
    menu_ = std::make_unique<TfrmAlege>();
    frmAlege = menu_.get();
    learning_ = std::make_unique<TfrmInv_Colreg>(database_, menu_.get());
    frmInv_Colreg = learning_.get();
    test_ = std::make_unique<TfrmColreg_Proc>(database_, menu_.get());
    frmColreg_Proc = test_.get();
    welcome_->setMenu(menu_.get());
    menu_->setWindows(learning_.get(), test_.get());
}

}  // namespace startup
