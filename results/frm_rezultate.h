#pragma once

#include <QWidget>

#include <functional>
#include <vector>

#include "results/types.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class Kit;
}

namespace store {
struct Database;
}  // namespace store

namespace results {
class GradeChart;
class RowList;
}  // namespace results

// The results window: the recorded tests newest first, a chart of the grades, the weak Rules and Parts,
// the questions still answered wrong, the cadet's name and group, practice of the mistakes and the
// export for the instructor. What it shows is read afresh from the bank each time it is opened.
class TfrmRezultate : public QWidget {
    Q_OBJECT

public:
    // Reads and writes the results of `database`; "Înapoi" shows `menu`.
    TfrmRezultate(app::Kit& kit, store::Database& database, QWidget* menu);

    // What the window opens, given by the code that builds the windows: the test window in practice
    // mode, and the learning window at a question (by its number).
    void setPractice(std::function<void()> startPractice);
    void setShowQuestion(std::function<void(int questionNumber)> showQuestion);
    // Where "Exportă" writes: asks the cadet for a file (empty: cancelled). Tests replace it.
    std::function<QString(QWidget* owner)> chooseExportFile;

    // Reads the results from the bank and shows them.
    void refresh();
    // Shows the given results.
    void showOverview(results::Overview overview);
    const results::Overview& overview() const { return overview_; }

    void btnSalveazaClick();
    void btnExerseazaClick();
    void btnExportaClick();
    void InapoiClick();
    // A row of the mistakes list activated (Enter, double click): that question in the learning window.
    void lstGreseliActivated(int row);

    QLabel* Label1 = nullptr;
    QLabel* lblNume = nullptr;
    QLineEdit* edtNume = nullptr;
    QLabel* lblPrenume = nullptr;
    QLineEdit* edtPrenume = nullptr;
    QLabel* lblGrupa = nullptr;
    QLineEdit* edtGrupa = nullptr;
    QPushButton* btnSalveaza = nullptr;
    QLabel* lblIstoric = nullptr;
    results::RowList* lstIstoric = nullptr;
    QLabel* lblGrafic = nullptr;
    results::GradeChart* chtNote = nullptr;
    QLabel* lblReguli = nullptr;
    results::RowList* lstReguli = nullptr;
    QLabel* lblParti = nullptr;
    results::RowList* lstParti = nullptr;
    QLabel* lblGreseli = nullptr;
    results::RowList* lstGreseli = nullptr;
    QPushButton* btnExerseaza = nullptr;
    QPushButton* btnExporta = nullptr;
    QPushButton* Inapoi = nullptr;

    // How many of the last tests the chart draws.
    static constexpr std::size_t kChartTests = 40;

protected:
    void showEvent(QShowEvent* event) override;

private:
    app::Kit& kit_;
    store::Database& data_;
    QWidget* menu_;
    std::function<void()> startPractice_;
    std::function<void(int)> showQuestion_;
    results::Overview overview_;
};
