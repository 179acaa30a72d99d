#pragma once

#include <QWidget>

// The test window: the 30-question self-test.
class TfrmColreg_Proc : public QWidget {
    Q_OBJECT

public:
    TfrmColreg_Proc();
};
