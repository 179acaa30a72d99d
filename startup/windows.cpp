#include "startup/windows.h"

TfrmMain* frmMain = nullptr;
TfrmAlege* frmAlege = nullptr;
TfrmInv_Colreg* frmInv_Colreg = nullptr;
TfrmColreg_Proc* frmColreg_Proc = nullptr;
TfrmRezultate* frmRezultate = nullptr;
