#pragma once

class QWidget;
class TfrmMain;
class TfrmAlege;
class TfrmInv_Colreg;
class TfrmColreg_Proc;

// The four windows, each created once at start-up and reached by every part of the program through
// these variables.
extern TfrmMain* frmMain;
extern TfrmAlege* frmAlege;
extern TfrmInv_Colreg* frmInv_Colreg;
extern TfrmColreg_Proc* frmColreg_Proc;

namespace app {
// The welcome window as a plain widget, for code that needs no more of it.
QWidget* mainWindow();
}  // namespace app
