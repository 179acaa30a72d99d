#include "learning/frm_inv_colreg.h"

#include "app/window_setup.h"
#include "app/windows.h"

TfrmInv_Colreg::TfrmInv_Colreg()
{
    frmInv_Colreg = this;
    setObjectName(QStringLiteral("frmInv_Colreg"));
    app::setUpOwnedWindow(this,
                          QStringLiteral("Învățarea  Regulamentului Internațional pentru Prevenirea Abordajelor "
                                         "pe Mare (RIPPAM- COLREG)  prin parcurgerea  tuturor întrebărilor și "
                                         "variantelor de răspuns"),
                          QSize(1296, 723));
    setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
}
