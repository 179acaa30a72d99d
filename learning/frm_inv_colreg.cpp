#include "learning/frm_inv_colreg.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "app/button_pictures.h"
#include "app/kit.h"
#include "app/scroll_host.h"
#include "app/value_displays.h"
#include "app/window_setup.h"
#include "store/database.h"
#include "store/views/db_edit.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"

namespace {

const QString kTimes = QStringLiteral("Times New Roman");

QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint at, int pixels, const QColor& colour)
{
    return app::placeLabel(parent, name, text, at, app::windowFont(kTimes, pixels, true), colour);
}

store::DBMemo* memo(app::Kit& kit, QWidget* parent, store::DataSource& source, const char* name, QRect at,
                    const char* field, const QString& accessibleName)
{
    auto* m = new store::DBMemo(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setAccessibleName(accessibleName);
    m->setGeometry(at);
    m->setFont(app::windowFont(kTimes, 21));
    app::setTextColour(m, Qt::black);
    kit.guarded([m, &source, field] { m->bind(source, field); });
    return m;
}

}  // namespace

TfrmInv_Colreg::TfrmInv_Colreg(app::Kit& kit, store::Database& database, QWidget* menu)
    : kit_(kit), data_(database), menu_(menu)
{
    setObjectName(QStringLiteral("frmInv_Colreg"));
    setFont(app::windowFont(QStringLiteral("Tahoma"), 11));

    Label1 = new QLabel(QStringLiteral("Învățarea  Regulamentului Internațional pentru Prevenirea Abordajelor pe "
                                       "Mare (RIPPAM- COLREG  En.)  prin parcurgerea  tuturor întrebărilor și "
                                       "variantelor de răspuns"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(70, 38, 1127, 52);
    Label1->setFont(app::windowFont(kTimes, 24, true));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    app::setTextColour(Label1, Qt::red);
    // Two lines of this face need a few pixels more than the classic layout gave; the label grows
    // downwards rather than cutting off the descenders and diacritics of its second line.
    Label1->resize(Label1->width(), std::max(Label1->height(), Label1->heightForWidth(Label1->width())));

    Intrebare = label(this, "Intrebare", QStringLiteral("Întrebare:"), {78, 158}, 19, Qt::red);
    Label2 = label(this, "Label2", QStringLiteral("Varianta de răspuns:"), {497, 88}, 19, Qt::blue);
    const QColor windowText = palette().color(QPalette::WindowText);
    Label3 = label(this, "Label3", QStringLiteral("a)"), {481, 167}, 19, windowText);
    Varianta_2 = label(this, "Varianta_2", QStringLiteral("b)"), {481, 322}, 19, windowText);
    Varianta_3 = label(this, "Varianta_3", QStringLiteral("c)"), {481, 475}, 19, windowText);

    DBMemo1 =
        memo(kit_, this, data_.dsIntrebari, "DBMemo1", {78, 179, 397, 331}, "Intrebare", QStringLiteral("Întrebarea"));
    DBMemo4 =
        memo(kit_, this, data_.dsIntrebari, "DBMemo4", {497, 109, 588, 160}, "Sol1", QStringLiteral("Varianta a)"));
    DBMemo3 =
        memo(kit_, this, data_.dsIntrebari, "DBMemo3", {497, 262, 588, 166}, "Sol2", QStringLiteral("Varianta b)"));
    DBMemo2 =
        memo(kit_, this, data_.dsIntrebari, "DBMemo2", {496, 426, 589, 157}, "Sol3", QStringLiteral("Varianta c)"));

    DBImage1 = new store::DBImage(this);
    DBImage1->setObjectName(QStringLiteral("DBImage1"));
    DBImage1->setGeometry(1086, 109, 187, 474);
    DBImage1->setAccessibleName(QStringLiteral("Imaginea întrebării"));
    kit_.guarded([this] { DBImage1->bind(data_.dsIntrebari, "Poza"); });

    bitbtnVerific = new QPushButton(QStringLiteral("Verificare"), this);
    bitbtnVerific->setObjectName(QStringLiteral("bitbtnVerific"));
    bitbtnVerific->setGeometry(719, 584, 75, 26);
    bitbtnVerific->setFont(app::windowFont(kTimes, 16));

    DBEdit1 = new store::DBEdit(this);
    DBEdit1->setObjectName(QStringLiteral("DBEdit1"));
    DBEdit1->setGeometry(800, 584, 72, 26);
    DBEdit1->setFont(app::windowFont(kTimes, 16, true));
    DBEdit1->setAccessibleName(QStringLiteral("Răspunsul corect"));
    kit_.guarded([this] { DBEdit1->bind(data_.dsIntrebari, "Rb"); });

    BitBtnPrimaFis =
        app::pictureButton(this, "BitBtnPrimaFis", {683, 611, 75, 25}, "arrow-up", QStringLiteral("Prima întrebare"));
    BitBtnInapoi = app::pictureButton(this, "BitBtnInapoi", {758, 611, 34, 25}, "arrow-left",
                                      QStringLiteral("Întrebarea anterioară"));
    BitbtnInainte = app::pictureButton(this, "BitbtnInainte", {798, 611, 41, 25}, "arrow-right",
                                       QStringLiteral("Întrebarea următoare"));
    BitBtnUltimaFis = app::pictureButton(this, "BitBtnUltimaFis", {842, 611, 75, 24}, "arrow-down",
                                         QStringLiteral("Ultima întrebare"));

    Inapoi = new QPushButton(app::buttonPicture(QStringLiteral("hand-left")), QStringLiteral("Înapoi"), this);
    Inapoi->setObjectName(QStringLiteral("Inapoi"));
    Inapoi->setGeometry(174, 512, 75, 23);
    Inapoi->setFont(app::windowFont(kTimes, 16));
    app::setTextColour(Inapoi, Qt::black);

    Terminat = new QPushButton(app::buttonPicture(QStringLiteral("door-closed")), QStringLiteral("Terminat"), this);
    Terminat->setObjectName(QStringLiteral("Terminat"));
    Terminat->setGeometry(255, 512, 106, 24);
    Terminat->setFont(app::windowFont(kTimes, 16));

    const std::initializer_list<QWidget*> tabOrder = {
        Inapoi,          Terminat, DBMemo3, DBMemo2, BitBtnPrimaFis, BitbtnInainte, BitBtnInapoi,
        BitBtnUltimaFis, DBImage1, DBMemo4, DBMemo1, bitbtnVerific,  DBEdit1};
    QWidget* previous = nullptr;
    for (QWidget* w : tabOrder) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    const std::pair<QPushButton*, void (TfrmInv_Colreg::*)()> handlers[] = {
        {BitBtnPrimaFis, &TfrmInv_Colreg::BitBtnPrimaFisClick},
        {BitBtnInapoi, &TfrmInv_Colreg::BitBtnInapoiClick},
        {BitbtnInainte, &TfrmInv_Colreg::BitbtnInainteClick},
        {BitBtnUltimaFis, &TfrmInv_Colreg::BitBtnUltimaFisClick},
        {bitbtnVerific, &TfrmInv_Colreg::bitbtnVerificClick},
        {Inapoi, &TfrmInv_Colreg::InapoiClick},
        {Terminat, &TfrmInv_Colreg::TerminatClick},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this,
                [this, handler] { kit_.guarded([this, handler] { (this->*handler)(); }); });

    app::setUpOwnedWindow(this, kit_.mainWindow(),
                          QStringLiteral("Învățarea  Regulamentului Internațional pentru Prevenirea Abordajelor "
                                         "pe Mare (RIPPAM- COLREG)  prin parcurgerea  tuturor întrebărilor și "
                                         "variantelor de răspuns"),
                          QSize(1296, 723));
    app::announceValues({DBEdit1});
    app::scrollWhenSmaller(this, kit_);
    // The first showing puts the keyboard focus on "Înapoi".
    Inapoi->setFocus();
}

namespace {
const QString kCaption = QStringLiteral("Conducere și manevră");
}

void TfrmInv_Colreg::BitBtnPrimaFisClick()
{
    DBEdit1->hide();
    data_.tblIntrebari.First();
    kit_.boxes().message(this, kCaption, QStringLiteral("Ești la începutul fișierului!"));
}

void TfrmInv_Colreg::BitBtnInapoiClick()
{
    DBEdit1->hide();
    data_.tblIntrebari.Prior();
}

void TfrmInv_Colreg::BitbtnInainteClick()
{
    DBEdit1->hide();
    data_.tblIntrebari.Next();
}

void TfrmInv_Colreg::BitBtnUltimaFisClick()
{
    DBEdit1->hide();
    data_.tblIntrebari.Last();
    kit_.boxes().message(this, kCaption, QStringLiteral("Ești la sfârșitul fișierului!"));
}

void TfrmInv_Colreg::bitbtnVerificClick()
{
    DBEdit1->show();
}

void TfrmInv_Colreg::InapoiClick()
{
    kit_.showWindow(menu_);
}

void TfrmInv_Colreg::TerminatClick()
{
    kit_.endProgram();
}
