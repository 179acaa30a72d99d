#pragma once

class TfrmMain;
class TfrmAlege;
class TfrmInv_Colreg;
class TfrmColreg_Proc;
class TfrmRezultate;

// The five windows while startup::Program holds them (it owns them; these only point at them, and are
// null before a window is built and after the program has gone). The windows themselves do not reach
// each other through these: each receives the shared data and the windows it opens when it is built.
// They remain for the program's start and for tests and benchmarks that drive the windows.
extern TfrmMain* frmMain;
extern TfrmAlege* frmAlege;
extern TfrmInv_Colreg* frmInv_Colreg;
extern TfrmColreg_Proc* frmColreg_Proc;
extern TfrmRezultate* frmRezultate;
