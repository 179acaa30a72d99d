#pragma once

#include <QWidget>

// The learning window: pages through the whole question bank.
class TfrmInv_Colreg : public QWidget {
    Q_OBJECT

public:
    TfrmInv_Colreg();
};
