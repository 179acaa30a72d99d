#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

// The menu window: the hub from which the learning and test windows are opened.
class TfrmAlege : public QMainWindow {
    Q_OBJECT

public:
    TfrmAlege();

    void erminat1Click();
    void Invatare1Click();
    void estarecapreciereprocentual1Click();
    void InstruciuniOperare1Click();
    void InchideiInstruciuni1Click();

    QMenu* Fisiere1 = nullptr;
    QMenu* Testare1 = nullptr;
    QMenu* Rezultate1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* erminat1 = nullptr;
    QAction* Invatare1 = nullptr;
    QAction* estarecapreciereprocentual1 = nullptr;
    QAction* InstruciuniOperare1 = nullptr;
    QAction* InchideiInstruciuni1 = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
};
