#pragma once

#include <QString>
#include <QWidget>

#include "store/connection.h"
#include "store/data_source.h"
#include "store/table_cursor.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The welcome window, the program's main window. It owns the database connection, the four table
// cursors and their data sources, which every other window uses.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    // `databaseFolder` is the executable's folder; tests give a folder of their own.
    explicit TfrmMain(const QString& databaseFolder);
    ~TfrmMain() override;

    void FormCreate();
    void bitbtnOKClick();

    store::Connection conColreg;
    store::TableCursor tblIntrebari{"tblIntrebari", "Intrebari"};
    store::TableCursor tblTest{"tblTest", "ManInt"};
    store::TableCursor tblRezultate{"tblRezultate", "Rezultate"};
    store::TableCursor tblStudenti{"tblStudenti", "Studenti"};
    store::DataSource dsIntrebari{"dsIntrebari", tblIntrebari};
    store::DataSource dsTest{"dsTest", tblTest};
    store::DataSource dsStudenti{"dsStudenti", tblStudenti};
    store::DataSource dsrezultate{"dsrezultate", tblRezultate};

    QLabel* Image1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* bitbtnOK = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString databaseFolder_;
};
