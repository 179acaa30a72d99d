#include "app/windows.h"

#include "app/frm_main.h"

TfrmMain* frmMain = nullptr;
TfrmAlege* frmAlege = nullptr;
TfrmInv_Colreg* frmInv_Colreg = nullptr;
TfrmColreg_Proc* frmColreg_Proc = nullptr;

namespace app {
QWidget* mainWindow()
{
    return frmMain;
}
}  // namespace app
