#include "app/frm_alege.h"

#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "app/fixed_texts.h"
#include "app/jpeg_picture.h"
#include "app/kit.h"
#include "app/scroll_host.h"
#include "app/window_setup.h"
#include "store/connection.h"
#include "store/error.h"

namespace {

// Menu captions are shown as written: no access keys, blanks kept (they space the items out).
QAction* addItem(QMenu* menu, const QString& caption, const char* name)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TfrmAlege::TfrmAlege(app::Kit& kit, const store::Connection& connection) : kit_(kit), connection_(connection)
{
    setObjectName(QStringLiteral("frmAlege"));
    setFont(app::windowFont(QStringLiteral("MS Sans Serif"), 11));
    setWindowIcon(QIcon(QStringLiteral(":/icons/alege32.png")));

    Fisiere1 = menuBar()->addMenu(QStringLiteral("       Terminat            "));
    Fisiere1->setObjectName(QStringLiteral("Fisiere1"));
    erminat1 = addItem(Fisiere1, QStringLiteral("Terminat"), "erminat1");
    Testare1 = menuBar()->addMenu(QStringLiteral("Învățare           "));
    Testare1->setObjectName(QStringLiteral("Testare1"));
    Invatare1 = addItem(Testare1, QStringLiteral("Invatare"), "Invatare1");
    Rezultate1 = menuBar()->addMenu(QStringLiteral("Testare                "));
    Rezultate1->setObjectName(QStringLiteral("Rezultate1"));
    estarecapreciereprocentual1 = addItem(Rezultate1, QStringLiteral("Testare cu apreciere procentuală           "),
                                          "estarecapreciereprocentual1");
    // An item of the bar itself, with no drop-down: it opens the results window at once.
    RezultateTeste1 = menuBar()->addAction(QStringLiteral("Rezultate           "));
    RezultateTeste1->setObjectName(QStringLiteral("RezultateTeste1"));
    Help1 = menuBar()->addMenu(QStringLiteral("Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    InstruciuniOperare1 = addItem(Help1, QStringLiteral("Deschide Instrucțiuni Operare"), "InstruciuniOperare1");
    InchideiInstruciuni1 = addItem(Help1, QStringLiteral("Inchideți Instrucțiuni operare"), "InchideiInstruciuni1");

    auto* client = new QWidget(this);
    setCentralWidget(client);

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 1009, 673);
    Image1->setAccessibleName(QStringLiteral("Navă cu vele"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    kit_.guarded([this] {
        const QString file = QStringLiteral(":/pictures/menu.jpg");
        // Named on the label so that a move to a screen of another density loads that screen's variant.
        Image1->setProperty("pictureFile", file);
        // Natural size from the top-left corner; the label cuts off what lies beyond its edges.
        Image1->setPixmap(QPixmap::fromImage(app::loadPicture(file, devicePixelRatioF())));
    });

    Memo1 = new QPlainTextEdit(client);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(160, 24, 705, 649);
    Memo1->setAccessibleName(QStringLiteral("Instrucțiuni de operare"));
    Memo1->setFont(app::windowFont(QStringLiteral("Times New Roman"), 19));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves on to the next control, as in any text box of the program.
    Memo1->setTabChangesFocus(true);
    Memo1->setPlainText(app::fixedText(app::FixedText::Instructions));
    Memo1->hide();

    app::setUpOwnedWindow(this, kit_.mainWindow(), QStringLiteral("Alege din meniu"),
                          QSize(1054, 774 + menuBar()->sizeHint().height()));
    app::scrollWhenSmaller(this, kit_);

    connect(erminat1, &QAction::triggered, this, [this] { kit_.guarded([this] { erminat1Click(); }); });
    connect(Invatare1, &QAction::triggered, this, [this] { kit_.guarded([this] { Invatare1Click(); }); });
    connect(estarecapreciereprocentual1, &QAction::triggered, this,
            [this] { kit_.guarded([this] { estarecapreciereprocentual1Click(); }); });
    connect(RezultateTeste1, &QAction::triggered, this, [this] { kit_.guarded([this] { RezultateTeste1Click(); }); });
    connect(InstruciuniOperare1, &QAction::triggered, this,
            [this] { kit_.guarded([this] { InstruciuniOperare1Click(); }); });
    connect(InchideiInstruciuni1, &QAction::triggered, this,
            [this] { kit_.guarded([this] { InchideiInstruciuni1Click(); }); });
}

void TfrmAlege::setWindows(QWidget* learning, QWidget* test)
{
    learning_ = learning;
    test_ = test;
}

void TfrmAlege::setResultsWindow(QWidget* results)
{
    results_ = results;
}

void TfrmAlege::erminat1Click()
{
    kit_.endProgram();
    kit_.closeWindow(this);
}

void TfrmAlege::Invatare1Click()
{
    kit_.showWindow(learning_);
    kit_.closeWindow(this);
}

void TfrmAlege::estarecapreciereprocentual1Click()
{
    if (const std::string& why = connection_.readOnlyReason(); !why.empty())
        throw store::Error("Testul nu poate începe: " + why);
    kit_.showWindow(test_);
    kit_.closeWindow(this);
}

void TfrmAlege::RezultateTeste1Click()
{
    kit_.showWindow(results_);
    kit_.closeWindow(this);
}

void TfrmAlege::InstruciuniOperare1Click()
{
    Memo1->show();
}

void TfrmAlege::InchideiInstruciuni1Click()
{
    Memo1->hide();
}
