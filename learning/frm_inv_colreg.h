#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace app {
class Kit;
}

namespace store {
struct Database;
class DBEdit;
class DBImage;
class DBMemo;
}  // namespace store

// The learning window: pages through the whole question bank, one question at a time, on the
// program-wide cursor of the bank; the correct letter is shown on demand.
class TfrmInv_Colreg : public QWidget {
    Q_OBJECT

public:
    // Works on the shared bank cursor of `data`; "Înapoi" shows `menu`.
    TfrmInv_Colreg(app::Kit& kit, store::Database& database, QWidget* menu);

    void BitBtnPrimaFisClick();
    void BitBtnInapoiClick();
    void BitbtnInainteClick();
    void BitBtnUltimaFisClick();
    void bitbtnVerificClick();
    void InapoiClick();
    void TerminatClick();

    QLabel* Label1 = nullptr;
    QLabel* Intrebare = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Varianta_2 = nullptr;
    QLabel* Varianta_3 = nullptr;
    store::DBMemo* DBMemo1 = nullptr;
    store::DBMemo* DBMemo4 = nullptr;  // shows Sol1, variant a)
    store::DBMemo* DBMemo3 = nullptr;
    store::DBMemo* DBMemo2 = nullptr;
    store::DBImage* DBImage1 = nullptr;
    store::DBEdit* DBEdit1 = nullptr;
    QPushButton* bitbtnVerific = nullptr;
    QPushButton* BitBtnPrimaFis = nullptr;
    QPushButton* BitBtnInapoi = nullptr;
    QPushButton* BitbtnInainte = nullptr;
    QPushButton* BitBtnUltimaFis = nullptr;
    QPushButton* Inapoi = nullptr;
    QPushButton* Terminat = nullptr;

private:
    app::Kit& kit_;
    store::Database& data_;
    QWidget* menu_;
};
