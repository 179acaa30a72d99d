#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace app {
// While set (a run that only reads its bank), the menu's self-test item says why no test can be taken in
// this run instead of opening the test window.
void setSelfTestRefusal(const QString& why);
// Refuses a self-test (ordinary or practice) with the reason set above, if any: throws store::Error.
void refuseSelfTestIfSet();
}  // namespace app

// The menu window: the hub from which the learning and test windows are opened.
class TfrmAlege : public QMainWindow {
    Q_OBJECT

public:
    TfrmAlege();
    // The windows the menu opens; given by the code that builds the windows, once they exist.
    void setWindows(QWidget* learning, QWidget* test);
    void setResultsWindow(QWidget* results);

    void erminat1Click();
    void Invatare1Click();
    void estarecapreciereprocentual1Click();
    void InstruciuniOperare1Click();
    void InchideiInstruciuni1Click();
    void RezultateTeste1Click();

    QMenu* Fisiere1 = nullptr;           // captioned "Terminat"
    QMenu* Testare1 = nullptr;           // captioned "Învățare": the learning window's menu
    QMenu* Rezultate1 = nullptr;         // captioned "Testare": the self-test's menu
    QAction* RezultateTeste1 = nullptr;  // the top-level item captioned "Rezultate": the results window
    QMenu* Help1 = nullptr;
    QAction* erminat1 = nullptr;
    QAction* Invatare1 = nullptr;
    QAction* estarecapreciereprocentual1 = nullptr;
    QAction* InstruciuniOperare1 = nullptr;
    QAction* InchideiInstruciuni1 = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

private:
    QWidget* learning_ = nullptr;
    QWidget* test_ = nullptr;
    QWidget* results_ = nullptr;
};
