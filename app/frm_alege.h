#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace app {
class Kit;
}

namespace store {
class Connection;
}

// The menu window: the hub from which the learning and test windows are opened.
class TfrmAlege : public QMainWindow {
    Q_OBJECT

public:
    // While `connection` is kept read-only (a run that only reads its bank), the self-test item says why no
    // test can be taken in this run instead of opening the test window.
    TfrmAlege(app::Kit& kit, const store::Connection& connection);
    // The windows the menu opens; given by the code that builds the windows, once they exist.
    void setWindows(QWidget* learning, QWidget* test);
    void setResultsWindow(QWidget* results);

    void erminat1Click();
    void Invatare1Click();
    void estarecapreciereprocentual1Click();
    void InstruciuniOperare1Click();
    void InchideiInstruciuni1Click();
    void RezultateTeste1Click();

    QMenu* Fisiere1 = nullptr;    // captioned "Terminat"
    QMenu* Testare1 = nullptr;    // captioned "Învățare": the learning window's menu
    QMenu* Rezultate1 = nullptr;  // captioned "Testare": the self-test's menu
    QMenu* Help1 = nullptr;
    QAction* erminat1 = nullptr;
    QAction* Invatare1 = nullptr;
    QAction* estarecapreciereprocentual1 = nullptr;
    QAction* InstruciuniOperare1 = nullptr;
    QAction* InchideiInstruciuni1 = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    // The item of the bar captioned "Rezultate", between "Testare" and "Help", with no drop-down: it opens
    // the results window.
    QAction* RezultateTeste1 = nullptr;

private:
    app::Kit& kit_;
    const store::Connection& connection_;
    QWidget* learning_ = nullptr;
    QWidget* test_ = nullptr;
    QWidget* results_ = nullptr;
};
