#include "startup/program.h"

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/window_ops.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "startup/windows.h"
#include "store/error.h"
#include "testing/frm_colreg_proc.h"

namespace startup {

namespace {

// The learning window at a question, positioned on the bank's cursor as the draw positions it.
void showQuestion(store::Database& data, QWidget* learning, int number)
{
    store::TableCursor& bank = data.tblIntrebari;
    if (!bank.Active())
        bank.Open();
    if (!bank.Locate("Nr_Intreb", number))
        throw store::Error(
            QStringLiteral("Întrebarea %1 nu mai este în banca de întrebări.").arg(number).toStdString());
    app::showWindow(learning);
}

}  // namespace

Program::Program(const QString& databaseFolder) : databaseFolder_(databaseFolder) {}

Program::~Program()
{
    frmRezultate = nullptr;
    frmColreg_Proc = nullptr;
    frmInv_Colreg = nullptr;
    frmAlege = nullptr;
    frmMain = nullptr;
    // The members go in their reverse order: the results, test, learning and menu windows, the welcome
    // window, and then the database.
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
    results_ = std::make_unique<TfrmRezultate>(database_, menu_.get());
    frmRezultate = results_.get();
    welcome_->setMenu(menu_.get());
    menu_->setWindows(learning_.get(), test_.get());
    menu_->setResultsWindow(results_.get());
    results_->setPractice([this] { test_->showPractice(); });
    results_->setShowQuestion([this](int number) { showQuestion(database_, learning_.get(), number); });
}

}  // namespace startup
