#include "app/frm_main.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <future>

#include "app/button_pictures.h"
#include "app/fixed_texts.h"
#include "app/jpeg_picture.h"
#include "app/kit.h"
#include "app/scroll_host.h"
#include "app/window_setup.h"
#include "store/error.h"

TfrmMain::TfrmMain(app::Kit& kit, store::Database& database, const store::BankChoice& bank)
    : data(database), kit_(kit), bank_(bank)
{
    kit_.setMainWindow(this);
    setObjectName(QStringLiteral("frmMain"));
    app::setUpMainWindow(this,
                         QStringLiteral("Aplicație pentru îaprofudarea învățării Regulamentului internațional "
                                        "pentru prevenirea abordajelor pr mare (COLREG en.) prin testare și "
                                        "autotestare"),
                         QSize(1200, 701));
    setFont(app::windowFont(QStringLiteral("Tahoma"), 11));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(80, 84, 753, 481);
    Image1->setAccessibleName(QStringLiteral("Imagine cu motiv marin"));
    // The picture is decoded on a second core while the controls below are built (the first of them
    // loads the fonts), and placed before the bank is opened, as if decoded here; where no thread can
    // be had, it is decoded at that point.
    const qreal ratio = devicePixelRatioF();
    const QString pictureFile = QStringLiteral(":/pictures/welcome.jpg");
    // Named on the label so that a move to a screen of another density decodes it again for that screen.
    Image1->setProperty("pictureFile", pictureFile);
    // Decoded at the size the screen needs, which the picture's own size serves exactly on ordinary and
    // double-density screens; stretched to the box, without keeping the aspect ratio, only where the
    // decoder's scaling cannot reach it.
    std::future<QImage> picture = std::async(
        std::launch::async | std::launch::deferred,
        [pictureFile, shownAt = Image1->size(), ratio] { return app::loadPicture(pictureFile, ratio, shownAt); });

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(839, 84, 322, 481);
    Memo1->setAccessibleName(QStringLiteral("Textul de bun venit"));
    Memo1->setFont(app::windowFont(QStringLiteral("Times New Roman"), 19));
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab moves on to the next control, as in any text box of the program.
    Memo1->setTabChangesFocus(true);
    Memo1->setPlainText(app::fixedText(app::FixedText::Welcome));
    Memo1->moveCursor(QTextCursor::Start);

    bitbtnOK = new QPushButton(QStringLiteral("OK"), this);
    bitbtnOK->setObjectName(QStringLiteral("bitbtnOK"));
    bitbtnOK->setGeometry(607, 571, 98, 25);
    bitbtnOK->setFont(app::windowFont(QStringLiteral("MS Sans Serif"), 19, true));
    app::setTextColour(bitbtnOK, Qt::blue);
    bitbtnOK->setIcon(app::buttonPicture(QStringLiteral("door-open")));
    connect(bitbtnOK, &QPushButton::clicked, this, [this] { kit_.guarded([this] { bitbtnOKClick(); }); });

    app::scrollWhenSmaller(this, kit_);
    setTabOrder(Memo1, bitbtnOK);
    Memo1->setFocus();

    kit_.guarded([&] { Image1->setPixmap(QPixmap::fromImage(picture.get())); });
    kit_.guarded([this] { FormCreate(); });
}

TfrmMain::~TfrmMain()
{
    kit_.setMainWindow(nullptr);
}

void TfrmMain::FormCreate()
{
    if (!bank_.failure.empty())
        throw store::Error(bank_.failure);
    data.open(store::bankFileIn(bank_.folder));
}

void TfrmMain::bitbtnOKClick()
{
    kit_.showWindow(menu_());
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    kit_.closeWindow(this);
}
