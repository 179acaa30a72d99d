#include "startup/start_up.h"

#include <QApplication>
#include <QStyleFactory>

#include <clocale>

#include "app/boxes.h"
#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/keyboard_access.h"
#include "app/window_setup.h"
#include "learning/frm_inv_colreg.h"
#include "startup/windows.h"
#include "store/error.h"
#include "testing/frm_colreg_proc.h"

namespace app {

void setUpApplication(QApplication& application)
{
    // Qt took the user's regional settings when the application object was created; numbers are
    // parsed and printed in the C form from here on, and the decimal separator is asked for by name.
    std::setlocale(LC_NUMERIC, "C");
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    setUpKeyboardAccess(application);
    application.setFont(windowFont(QStringLiteral("Tahoma"), 11));
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/velmaris.png")));
    // Only the welcome window's close or an explicit request ends the program.
    application.setQuitOnLastWindowClosed(false);
    // A view's own key and focus handling reports its failures in the same error box as a handler.
    store::setFailureReporter(&reportFailure);
}

void createWindows(const QString& databaseFolder)
{
    // The welcome window owns the data and, as their parent, the other three windows.
    frmMain = new TfrmMain(databaseFolder);
    frmAlege = new TfrmAlege();
    frmInv_Colreg = new TfrmInv_Colreg(frmMain->data, frmAlege);
    frmColreg_Proc = new TfrmColreg_Proc(frmMain->data, frmAlege);
    frmMain->setMenu(frmAlege);
    frmAlege->setWindows(frmInv_Colreg, frmColreg_Proc);
}

void destroyWindows()
{
    delete frmMain;
    frmMain = nullptr;
    frmAlege = nullptr;
    frmInv_Colreg = nullptr;
    frmColreg_Proc = nullptr;
}

}  // namespace app
