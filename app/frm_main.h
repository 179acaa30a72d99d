#pragma once

#include <QString>
#include <QWidget>

#include <functional>

#include "store/bank_location.h"
#include "store/database.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace app {
class Kit;
}

// The welcome window, the program's main window. It opens the program's data (`data`: the connection, the
// four table cursors and their data sources) while it is created; start-up owns the data and hands the
// same object to every other window.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    // `bank` is the bank start-up chose: the window opens it, or reports why none could be chosen.
    // `database`, which becomes `data`, must outlive the window.
    TfrmMain(app::Kit& kit, store::Database& database, const store::BankChoice& bank);
    ~TfrmMain() override;

    // How "OK" gets the window it opens, which may not exist yet when this window is built; given once by
    // the code that builds the windows.
    void setMenuSource(std::function<QWidget*()> menu) { menu_ = std::move(menu); }

    void FormCreate();
    void bitbtnOKClick();

    store::Database& data;

    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* bitbtnOK = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    app::Kit& kit_;
    const store::BankChoice& bank_;
    std::function<QWidget*()> menu_ = [] { return static_cast<QWidget*>(nullptr); };
};
