#include "testing/frm_colreg_proc.h"

#include "app/window_setup.h"
#include "app/windows.h"

TfrmColreg_Proc::TfrmColreg_Proc()
{
    frmColreg_Proc = this;
    setObjectName(QStringLiteral("frmColreg_Proc"));
    app::setUpOwnedWindow(this, QStringLiteral("Testare la COLREG. en.   Evaluare procentuală"), QSize(1361, 837));
    setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
}
