#pragma once

#include <QWidget>

#include <exception>
#include <memory>

#include "testing/test_session.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace app {
class Kit;
}

namespace store {
struct Database;
class DBImage;
class DBMemo;
}  // namespace store

// The test window: the self-test with its judgement, counts, grade, review and clock. The test's
// state and its work on the scratch table are the session's (testing/test_session.h); the window
// keeps only what its controls show.
class TfrmColreg_Proc : public QWidget {
    Q_OBJECT

public:
    // Works on the shared scratch and bank cursors of `data`; "Înapoi" shows `menu`.
    TfrmColreg_Proc(app::Kit& kit, store::Database& database, QWidget* menu);
    ~TfrmColreg_Proc() override;

    // Shows the window for a practice test: its next "Start" draws the cadet's mistakes first. Opened any
    // other way the window is the ordinary test; leaving it ends the practice.
    void showPractice();

    void btnStartClick();
    // "Start"'s draw and its copy, each on its own (btnStartClick makes them together, all or nothing).
    void Gen_Num();
    void CopFis_FisT();
    void bitbtnUrmatClick();
    void Button1Click();
    void BitBtnVerificareTestareClick();
    void BitBtnVerifSusClick();
    void BitBtnVerifJosClick();
    void InapoiClick();
    void TerminatClick();
    void Timer2Timer();

    selftest::TestSession& session() { return *session_; }

    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QPushButton* btnStart = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* PanTime = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* PanTime1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtNrInt = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* bitbtnUrmat = nullptr;
    QRadioButton* rdbtnA = nullptr;
    QRadioButton* rdbtnB = nullptr;
    QRadioButton* rdbtnC = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edtRi = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EdtRc = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edtRp = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* edtRc1 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* edtRcRi = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label8 = nullptr;
    store::DBMemo* dbMIntreb = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    store::DBMemo* DBMemo1 = nullptr;
    store::DBMemo* dbMVarRaspB = nullptr;
    store::DBMemo* dbMVarRaspC = nullptr;
    store::DBImage* DBImage1 = nullptr;
    QPushButton* Inapoi = nullptr;
    QPushButton* Terminat = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* edtNota = nullptr;
    QPushButton* BitBtnVerificareTestare = nullptr;
    QPushButton* BitBtnVerifSus = nullptr;
    QPushButton* BitBtnVerifJos = nullptr;
    QLabel* lblRb = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* lblRR = nullptr;
    QLineEdit* Edit2 = nullptr;
    QTimer* Timer2 = nullptr;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void setPractice(bool practice);
    void buildControls(store::Database& database);
    void connectHandlers();
    QString chosenLetter() const;
    void showScore(const selftest::TestSession::Score& score, bool correct);
    void reviewStep(bool down);
    // Leaving through "Înapoi" or "Terminat": the scratch table emptied as far as it can be, back to the
    // idle look. Returns what failed in the emptying.
    std::exception_ptr tidyUp(bool ordered);

    std::unique_ptr<selftest::TestSession> session_;
    app::Kit& kit_;
    store::Database& database_;
    QWidget* menu_;
};
