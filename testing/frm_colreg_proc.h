#pragma once

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace store {
class DBImage;
class DBMemo;
}  // namespace store

namespace TestColreg_Proc {
class Generator;
}

// The test window: the 30-question self-test with its judgement, counts, grade, review and clock.
// The test's state lives in the module (testing/test_state.h), not here; the window keeps only what
// its controls show.
class TfrmColreg_Proc : public QWidget {
    Q_OBJECT

public:
    TfrmColreg_Proc();
    ~TfrmColreg_Proc() override;

    void btnStartClick();
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

    // Tests put in a generator they can seed; the window keeps using it until another is set.
    void setGenerator(std::unique_ptr<TestColreg_Proc::Generator> generator);

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

private:
    void buildControls();
    void connectHandlers();
    // Leaving through "Înapoi" or "Terminat": empty the scratch table, back to the idle look.
    void tidyUp();
    void showTimeOfDay();
    void judge(bool correct);
    void reviewStep(bool down);

    std::unique_ptr<TestColreg_Proc::Generator> generator_;
};
