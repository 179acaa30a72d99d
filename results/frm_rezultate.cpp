#include "results/frm_rezultate.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QShowEvent>

#include "app/button_pictures.h"
#include "app/kit.h"
#include "app/scroll_host.h"
#include "app/window_setup.h"
#include "results/export_csv.h"
#include "results/grade_chart.h"
#include "results/overview.h"
#include "results/presentation.h"
#include "results/report_pdf.h"
#include "results/row_list.h"
#include "results/student.h"
#include "store/error.h"

using results::RowList;

namespace {

const QString kTimes = QStringLiteral("Times New Roman");
const QString kCaption = QStringLiteral("Rezultate");
const QString kCsvFilter = QStringLiteral("Tabel pentru foi de calcul (*.csv)");
const QString kPdfFilter = QStringLiteral("Raport PDF (*.pdf)");

QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint at, int pixels, bool bold,
              const QColor& colour = Qt::black)
{
    return app::placeLabel(parent, name, text, at, app::windowFont(kTimes, pixels, bold), colour);
}

QLineEdit* field(QWidget* parent, const char* name, QRect at, const QString& accessibleName)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(at);
    e->setFont(app::windowFont(kTimes, 16));
    e->setAccessibleName(accessibleName);
    e->setMaxLength(60);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect at, const char* picture = nullptr)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    b->setFont(app::windowFont(kTimes, 16));
    app::setTextColour(b, Qt::black);
    if (picture)
        b->setIcon(app::buttonPicture(QString::fromLatin1(picture)));
    return b;
}

// Column captions above a list, at the list's column offsets.
void headings(QWidget* parent, const QString& prefix, QPoint listAt, const QVector<int>& columns,
              const QStringList& captions)
{
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto* l = label(parent, "", captions[i], {listAt.x() + 4 + columns[i], listAt.y() - 20}, 14, true,
                        QColor(64, 64, 64));
        l->setObjectName(QStringLiteral("%1Cap%2").arg(prefix).arg(i));
    }
}

QString askForExportFile(QWidget* owner)
{
    QString filter = kCsvFilter;
    QString path = QFileDialog::getSaveFileName(owner, QStringLiteral("Exportă rezultatele"),
                                                QDir::home().filePath(QStringLiteral("rezultate-colreg.csv")),
                                                kCsvFilter + QStringLiteral(";;") + kPdfFilter, &filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += filter == kPdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".csv");
    return path;
}

}  // namespace

TfrmRezultate::TfrmRezultate(app::Kit& kit, store::Database& database, QWidget* menu)
    : chooseExportFile(&askForExportFile), kit_(kit), data_(database), menu_(menu)
{
    setObjectName(QStringLiteral("frmRezultate"));
    setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
    const QFont listFont = app::windowFont(kTimes, 16);

    Label1 = label(this, "Label1", QStringLiteral("Rezultatele testelor la COLREG"), {16, 10}, 24, true, Qt::red);

    // The cadet, as exports and prints name them.
    lblNume = label(this, "lblNume", QStringLiteral("Nume"), {640, 18}, 16, true);
    edtNume = field(this, "edtNume", {690, 14, 160, 28}, QStringLiteral("Nume"));
    lblPrenume = label(this, "lblPrenume", QStringLiteral("Prenume"), {862, 18}, 16, true);
    edtPrenume = field(this, "edtPrenume", {934, 14, 160, 28}, QStringLiteral("Prenume"));
    lblGrupa = label(this, "lblGrupa", QStringLiteral("Grupa"), {1106, 18}, 16, true);
    edtGrupa = field(this, "edtGrupa", {1160, 14, 74, 28}, QStringLiteral("Grupa"));
    btnSalveaza = button(this, "btnSalveaza", QStringLiteral("Salvează"), {1242, 12, 92, 32});
    for (const auto& [l, e] : {std::pair{lblNume, edtNume}, {lblPrenume, edtPrenume}, {lblGrupa, edtGrupa}})
        l->setBuddy(e);

    // The history, newest first.
    lblIstoric = label(this, "lblIstoric", QStringLiteral("Testele înregistrate, cele mai noi întâi"), {16, 56}, 19,
                       true, Qt::blue);
    const QVector<int> historyColumns = {0, 150, 205, 300, 390};
    const QPoint historyAt(16, 104);
    headings(this, QStringLiteral("lstIstoric"), historyAt, historyColumns,
             {QStringLiteral("Data"), QStringLiteral("Nota"), QStringLiteral("Corecte"), QStringLiteral("Procent"),
              QStringLiteral("Fel")});
    lstIstoric = new RowList(this, "lstIstoric", QStringLiteral("Testele înregistrate"), historyColumns);
    lstIstoric->setGeometry(QRect(historyAt, QSize(600, 250)));
    lstIstoric->setFont(listFont);

    // The chart of the grades.
    lblGrafic =
        label(this, "lblGrafic", QStringLiteral("Notele în timp (ultimele %1; ● test, ○ exersare)").arg(kChartTests),
              {640, 56}, 19, true, Qt::blue);
    chtNote = new results::GradeChart(this);
    chtNote->setObjectName(QStringLiteral("chtNote"));
    chtNote->setAccessibleName(QStringLiteral("Graficul notelor în timp"));
    chtNote->setGeometry(640, 84, 694, 270);

    // The weak Rules and Parts, weakest first, and the questions still wrong.
    const QVector<int> weaknessColumns = {0, 112, 200, 276};
    lblReguli =
        label(this, "lblReguli", QStringLiteral("Regulile, cele mai slabe întâi"), {16, 366}, 19, true, Qt::blue);
    const QPoint rulesAt(16, 412);
    const QStringList weaknessCaptions = {QStringLiteral("Regula"), QStringLiteral("Răspunsuri"),
                                          QStringLiteral("Greșite"), QStringLiteral("Ultimele 5")};
    headings(this, QStringLiteral("lstReguli"), rulesAt, weaknessColumns, weaknessCaptions);
    lstReguli = new RowList(this, "lstReguli", QStringLiteral("Regulile, cele mai slabe întâi"), weaknessColumns, 110);
    lstReguli->setGeometry(QRect(rulesAt, QSize(490, 230)));
    lstReguli->setFont(listFont);

    const QVector<int> partColumns = {0, 90, 178, 254};
    lblParti = label(this, "lblParti", QStringLiteral("Părțile COLREG"), {520, 366}, 19, true, Qt::blue);
    const QPoint partsAt(520, 412);
    headings(this, QStringLiteral("lstParti"), partsAt, partColumns,
             {QStringLiteral("Partea"), QStringLiteral("Răspunsuri"), QStringLiteral("Greșite"),
              QStringLiteral("Ultimele 5")});
    lstParti = new RowList(this, "lstParti", QStringLiteral("Părțile COLREG, cele mai slabe întâi"), partColumns, 70);
    lstParti->setGeometry(QRect(partsAt, QSize(430, 230)));
    lstParti->setFont(listFont);

    lblGreseli =
        label(this, "lblGreseli", QStringLiteral("Întrebări greșite; Enter o arată"), {964, 366}, 19, true, Qt::red);
    const QVector<int> mistakeColumns = {0, 140};
    const QPoint mistakesAt(964, 412);
    headings(this, QStringLiteral("lstGreseli"), mistakesAt, mistakeColumns,
             {QStringLiteral("Întrebarea"), QStringLiteral("Regula")});
    lstGreseli =
        new RowList(this, "lstGreseli", QStringLiteral("Întrebări greșite și încă nerezolvate; Enter arată întrebarea"),
                    mistakeColumns);
    lstGreseli->setGeometry(QRect(mistakesAt, QSize(370, 230)));
    lstGreseli->setFont(listFont);

    Inapoi = button(this, "Inapoi", QStringLiteral("Înapoi"), {16, 654, 104, 32}, "hand-left");
    btnExerseaza = button(this, "btnExerseaza", QStringLiteral("Exersează greșelile"), {964, 654, 200, 32});
    app::setTextColour(btnExerseaza, Qt::blue);
    btnExporta = button(this, "btnExporta", QStringLiteral("Exportă"), {1174, 654, 160, 32});

    const std::initializer_list<QWidget*> tabOrder = {lstIstoric, chtNote,      lstReguli,  lstParti,
                                                      lstGreseli, btnExerseaza, btnExporta, Inapoi,
                                                      edtNume,    edtPrenume,   edtGrupa,   btnSalveaza};
    QWidget* previous = nullptr;
    for (QWidget* w : tabOrder) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    const std::pair<QPushButton*, void (TfrmRezultate::*)()> handlers[] = {
        {btnSalveaza, &TfrmRezultate::btnSalveazaClick},
        {btnExerseaza, &TfrmRezultate::btnExerseazaClick},
        {btnExporta, &TfrmRezultate::btnExportaClick},
        {Inapoi, &TfrmRezultate::InapoiClick},
    };
    for (const auto& [b, handler] : handlers)
        connect(b, &QPushButton::clicked, this,
                [this, handler] { kit_.guarded([this, handler] { (this->*handler)(); }); });
    connect(lstGreseli, &QListView::activated, this,
            [this](const QModelIndex& index) { kit_.guarded([this, index] { lstGreseliActivated(index.row()); }); });
    // Enter in a name field saves, as the button beside them does.
    for (QLineEdit* e : {edtNume, edtPrenume, edtGrupa})
        connect(e, &QLineEdit::returnPressed, this, [this] { kit_.guarded([this] { btnSalveazaClick(); }); });

    app::setUpOwnedWindow(this, kit_.mainWindow(), kCaption, QSize(1350, 698));
    app::scrollWhenSmaller(this, kit_);
    // The first showing puts the keyboard focus on the newest test.
    lstIstoric->setFocus();
}

void TfrmRezultate::setPractice(std::function<void()> startPractice)
{
    startPractice_ = std::move(startPractice);
}

void TfrmRezultate::setShowQuestion(std::function<void(int)> showQuestion)
{
    showQuestion_ = std::move(showQuestion);
}

void TfrmRezultate::showEvent(QShowEvent* event)
{
    // Opened by the program (not restored from the taskbar): the results as the bank has them now.
    if (!event->spontaneous())
        kit_.guarded([this] { refresh(); });
    QWidget::showEvent(event);
}

void TfrmRezultate::refresh()
{
    showOverview(results::loadOverview(data_));
}

void TfrmRezultate::showOverview(results::Overview overview)
{
    overview_ = std::move(overview);

    const auto& history = overview_.history;
    lstIstoric->setRows(static_cast<int>(history.size()),
                        [&history](int i) { return results::historyRow(history[static_cast<std::size_t>(i)]); });
    lblIstoric->setText(QStringLiteral("Testele înregistrate (%1), cele mai noi întâi").arg(history.size()));
    lblIstoric->adjustSize();

    chtNote->setTests(results::chartTests(history, kChartTests));

    for (const auto& [list, weaknesses] : {std::pair{lstReguli, &overview_.rules}, {lstParti, &overview_.parts}})
        list->setRows(
            static_cast<int>(weaknesses->size()),
            [weaknesses](int i) { return results::weaknessRow((*weaknesses)[static_cast<std::size_t>(i)]); },
            [weaknesses](int i) { return (*weaknesses)[static_cast<std::size_t>(i)].wrongShare; });

    const auto& mistakes = overview_.mistakes;
    lstGreseli->setRows(static_cast<int>(mistakes.size()),
                        [&mistakes](int i) { return results::mistakeRow(mistakes[static_cast<std::size_t>(i)]); });
    lblGreseli->setText(QStringLiteral("Întrebări greșite (%1); Enter o arată").arg(mistakes.size()));
    lblGreseli->adjustSize();

    const results::Student student = overview_.student.value_or(results::Student{});
    edtNume->setText(student.nume);
    edtPrenume->setText(student.prenume);
    edtGrupa->setText(student.grupa);
}

void TfrmRezultate::btnSalveazaClick()
{
    const QString nume = edtNume->text().trimmed();
    const QString prenume = edtPrenume->text().trimmed();
    const QString grupa = edtGrupa->text().trimmed();
    results::saveStudent(data_, nume, prenume, grupa);
    results::Student student = overview_.student.value_or(results::Student{});
    student.nume = nume;
    student.prenume = prenume;
    student.grupa = grupa;
    overview_.student = student;
    kit_.boxes().message(this, kCaption, QStringLiteral("Numele și grupa au fost salvate."));
}

void TfrmRezultate::btnExerseazaClick()
{
    if (!startPractice_)
        return;
    startPractice_();
    kit_.closeWindow(this);
}

void TfrmRezultate::lstGreseliActivated(int row)
{
    if (row < 0 || row >= static_cast<int>(overview_.mistakes.size()) || !showQuestion_)
        return;
    const int number = overview_.mistakes[static_cast<std::size_t>(row)].questionNumber;
    // Shown first: a question the bank no longer holds leaves this window open, with the error box.
    showQuestion_(number);
    kit_.closeWindow(this);
}

void TfrmRezultate::btnExportaClick()
{
    const QString path = chooseExportFile(this);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0) {
        results::writePdfReport(overview_, path);
    } else {
        const QByteArray csv = results::historyCsv(data_);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit())
            throw store::Error(QStringLiteral("Tabelul nu a putut fi scris în %1 (%2). Alegeți alt dosar sau alt nume.")
                                   .arg(path, file.errorString())
                                   .toStdString());
    }
    kit_.boxes().message(this, kCaption,
                         QStringLiteral("Rezultatele au fost scrise în %1").arg(QDir::toNativeSeparators(path)));
}

void TfrmRezultate::InapoiClick()
{
    kit_.closeWindow(this);
    kit_.showWindow(menu_);
}
