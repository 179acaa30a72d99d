#include "testing/frm_colreg_proc.h"

#include <QFrame>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/button_pictures.h"
#include "app/kit.h"
#include "app/scroll_host.h"
#include "app/value_displays.h"
#include "app/window_setup.h"
#include "store/database.h"
#include "store/error.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"
#include "testing/test_session.h"

using namespace selftest;

namespace {

const QString kTimes = QStringLiteral("Times New Roman");
const QString kSans = QStringLiteral("MS Sans Serif");
const QString kTahoma = QStringLiteral("Tahoma");
const QString kColreg = QStringLiteral("Colreg");
const QString kTitle = QStringLiteral("Testare la COLREG. en.   Evaluare procentuală");
const QString kPracticeTitle = QStringLiteral("Exersarea greșelilor - Testare la COLREG. en.   Evaluare procentuală");
const QString kLeaving = QStringLiteral(" Apasă Ok! Ai răbdare! Fac ordine pe punte și în arboradă = FISIERE");
const QString kGood = QStringLiteral("Răspuns BUN. Bravo!");
const QString kAtEnd = QStringLiteral("Deja ești la sfârșitul fișierului!");
const QString kStartNotice = QStringLiteral(
    " Apasă Ok! Ai răbdare! Din cele 275 de întrebări, selectez aleator 30 de întrebări distincte   "
    "1.10502675144E+40   Tarvenic vă urează: SUCCES!");

QFrame* panel(QWidget* parent, const char* name, QRect at)
{
    auto* p = new QFrame(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setGeometry(at);
    return p;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QPoint at, const QFont& font,
              const QColor& colour = Qt::black)
{
    return app::placeLabel(parent, name, text, at, font, colour);
}

// A panel used as a one-line display: sunken, its text centred.
QLabel* display(QWidget* parent, const char* name, QRect at, const QFont& font, const QColor& colour,
                const QString& accessibleName)
{
    auto* d = new QLabel(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setGeometry(at);
    d->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    d->setAlignment(Qt::AlignCenter);
    d->setFont(font);
    d->setAccessibleName(accessibleName);
    app::setTextColour(d, colour);
    return d;
}

QLineEdit* box(QWidget* parent, const char* name, QRect at, const QString& accessibleName,
               const QFont& font = app::windowFont(kTimes, 16), const QColor& colour = Qt::black)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(at);
    e->setFont(font);
    e->setAccessibleName(accessibleName);
    app::setTextColour(e, colour);
    return e;
}

store::DBMemo* view(app::Kit& kit, QWidget* parent, store::DataSource& source, const char* name, QRect at,
                    const char* field, const QString& accessibleName)
{
    auto* m = new store::DBMemo(parent);
    m->setObjectName(QString::fromLatin1(name));
    m->setGeometry(at);
    m->setFont(app::windowFont(kTimes, 21));
    m->setAccessibleName(accessibleName);
    app::setTextColour(m, Qt::black);
    kit.guarded([m, &source, field] { m->bind(source, field); });
    return m;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect at, const QFont& font,
                    const QColor& colour = Qt::black)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(at);
    b->setFont(font);
    app::setTextColour(b, colour);
    return b;
}

// A checked radio button of an exclusive group cannot be unchecked directly.
void uncheck(QRadioButton* radio)
{
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
}

}  // namespace

TfrmColreg_Proc::TfrmColreg_Proc(app::Kit& kit, store::Database& database, QWidget* menu)
    : session_(std::make_unique<TestSession>(database)), kit_(kit), database_(database), menu_(menu)
{
    setObjectName(QStringLiteral("frmColreg_Proc"));
    setFont(app::windowFont(kTahoma, 11));
    buildControls(database);
    connectHandlers();
    app::announceValues({PanTime, PanTime1, edtNrInt, edtRi, EdtRc, edtRp, edtRc1, edtRcRi, edtNota, Edit1, Edit2});
    app::scrollWhenSmaller(this, kit_);
    app::setUpOwnedWindow(this, kit_.mainWindow(), kTitle, QSize(1361, 837));

    // The clock runs from creation to the end of the program, shown or hidden.
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2000);
    connect(Timer2, &QTimer::timeout, this, [this] { kit_.guarded([this] { Timer2Timer(); }); });
    Timer2->start();
}

TfrmColreg_Proc::~TfrmColreg_Proc() = default;

void TfrmColreg_Proc::buildControls(store::Database& database)
{
    const QFont label16 = app::windowFont(kTimes, 16, true);

    // Top left: start, clock, countdown, questions remaining.
    Panel1 = panel(this, "Panel1", {16, 8, 300, 170});
    btnStart = button(Panel1, "btnStart", QStringLiteral("Start"), {12, 10, 130, 34}, app::windowFont(kSans, 19, true),
                      Qt::blue);
    Label1 = label(Panel1, "Label1", QStringLiteral("Ora"), {12, 58}, label16);
    PanTime = display(Panel1, "PanTime", {150, 52, 136, 30}, app::windowFont(kTimes, 16, true), Qt::blue,
                      QStringLiteral("Ora"));
    Label3 = label(Panel1, "Label3", QStringLiteral("Timpul rămas"), {12, 96}, label16);
    PanTime1 = display(Panel1, "PanTime1", {150, 90, 136, 30}, app::windowFont(kTimes, 19), Qt::red,
                       QStringLiteral("Timpul rămas"));
    Label2 = label(Panel1, "Label2", QStringLiteral("Numărul de întrebări"), {12, 134}, label16);
    edtNrInt = box(Panel1, "edtNrInt", {206, 128, 80, 30}, QStringLiteral("Numărul de întrebări rămase"),
                   app::windowFont(kSans, 16, true), Qt::red);

    // Top centre: the title.
    Label7 = new QLabel(QStringLiteral("Testarea cunoașterii prevederilor COLREG en. (apreciere procentuală)"), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setGeometry(340, 8, 600, 64);
    Label7->setFont(app::windowFont(kTimes, 24, true));
    Label7->setAlignment(Qt::AlignCenter);
    Label7->setWordWrap(true);
    app::setTextColour(Label7, Qt::red);

    // Below the title: "Confirm" and the three answers.
    Panel3 = panel(this, "Panel3", {440, 80, 420, 100});
    bitbtnUrmat = button(Panel3, "bitbtnUrmat", QStringLiteral("Confirm"), {140, 8, 140, 36},
                         app::windowFont(kSans, 16, true), Qt::blue);
    bitbtnUrmat->setIcon(app::buttonPicture(QStringLiteral("confirm-down")));
    const QFont radioFont = app::windowFont(kTimes, 21);
    auto radio = [&](const char* name, const QString& caption, int x, const QString& accessible) {
        auto* r = new QRadioButton(caption, Panel3);
        r->setObjectName(QString::fromLatin1(name));
        r->setFont(radioFont);
        r->setGeometry(x, 56, 80, 32);
        r->setAccessibleName(accessible);
        app::setTextColour(r, Qt::blue);
        return r;
    };
    rdbtnA = radio("rdbtnA", QStringLiteral("a)"), 70, QStringLiteral("Varianta a)"));
    rdbtnB = radio("rdbtnB", QStringLiteral("b)"), 180, QStringLiteral("Varianta b)"));
    rdbtnC = radio("rdbtnC", QStringLiteral("c)"), 290, QStringLiteral("Varianta c)"));

    // Top right: counts and percentage.
    Panel2 = panel(this, "Panel2", {972, 8, 373, 170});
    Label5 = label(Panel2, "Label5", QStringLiteral("Răspunsuri incorecte"), {12, 12}, label16);
    edtRi = box(Panel2, "edtRi", {226, 8, 134, 28}, QStringLiteral("Răspunsuri incorecte"));
    Label4 = label(Panel2, "Label4", QStringLiteral("Răspunsuri corecte"), {12, 46}, label16);
    EdtRc = box(Panel2, "EdtRc", {226, 42, 134, 28}, QStringLiteral("Răspunsuri corecte"));
    Label6 = label(Panel2, "Label6", QStringLiteral("Procent"), {12, 80}, label16);
    edtRp = box(Panel2, "edtRp", {226, 76, 134, 28}, QStringLiteral("Procent"));
    Label13 = label(Panel2, "Label13", QStringLiteral("Procentul s-a calculat astfel:"), {12, 110}, label16);
    edtRc1 = box(Panel2, "edtRc1", {12, 134, 44, 28}, QStringLiteral("Răspunsuri corecte din calcul"));
    Label14 =
        label(Panel2, "Label14", QStringLiteral("răspunsuri corecte din"), {62, 140}, app::windowFont(kTimes, 16));
    edtRcRi = box(Panel2, "edtRcRi", {232, 134, 44, 28}, QStringLiteral("Răspunsuri date"));
    Label15 = label(Panel2, "Label15", QStringLiteral("date"), {284, 140}, app::windowFont(kTimes, 16));

    // The question, its variants and its picture.
    Label8 = label(this, "Label8", QStringLiteral("Întrebare"), {16, 190}, app::windowFont(kTimes, 21, true), Qt::red);
    dbMIntreb =
        view(kit_, this, database.dsTest, "dbMIntreb", {16, 218, 400, 422}, "Intrebare", QStringLiteral("Întrebarea"));
    Label9 = label(this, "Label9", QStringLiteral("Varianta de răspuns:"), {476, 190},
                   app::windowFont(kTimes, 21, true), Qt::blue);
    const QFont letterFont = app::windowFont(kTahoma, 16, true);
    Label10 = label(this, "Label10", QStringLiteral("a)"), {446, 276}, letterFont);
    DBMemo1 = view(kit_, this, database.dsTest, "DBMemo1", {476, 218, 560, 136}, "Sol1", QStringLiteral("Varianta a)"));
    Label11 = label(this, "Label11", QStringLiteral("b)"), {446, 419}, letterFont);
    dbMVarRaspB =
        view(kit_, this, database.dsTest, "dbMVarRaspB", {476, 361, 560, 136}, "Sol2", QStringLiteral("Varianta b)"));
    Label12 = label(this, "Label12", QStringLiteral("c)"), {446, 562}, letterFont);
    dbMVarRaspC =
        view(kit_, this, database.dsTest, "dbMVarRaspC", {476, 504, 560, 136}, "Sol3", QStringLiteral("Varianta c)"));
    DBImage1 = new store::DBImage(this);
    DBImage1->setObjectName(QStringLiteral("DBImage1"));
    DBImage1->setGeometry(1100, 190, 187, 474);
    DBImage1->setAccessibleName(QStringLiteral("Imaginea întrebării"));
    kit_.guarded([this, &database] { DBImage1->bind(database.dsTest, "Poza"); });

    // Bottom left: leaving and the grade.
    Inapoi = button(this, "Inapoi", QStringLiteral("Înapoi"), {16, 652, 104, 32}, app::windowFont(kTimes, 16));
    Inapoi->setIcon(app::buttonPicture(QStringLiteral("hand-left")));
    Terminat = button(this, "Terminat", QStringLiteral("Terminat"), {128, 652, 120, 32}, app::windowFont(kTimes, 16));
    Terminat->setIcon(app::buttonPicture(QStringLiteral("door-closed")));
    Button1 = button(this, "Button1", QStringLiteral("Nota"), {256, 652, 80, 32}, letterFont, Qt::red);
    Button1->hide();
    edtNota =
        box(this, "edtNota", {344, 652, 72, 32}, QStringLiteral("Nota"), app::windowFont(kTimes, 19, true), Qt::red);
    edtNota->setText(QStringLiteral("  ?!"));
    edtNota->hide();

    // Bottom centre: the review.
    BitBtnVerificareTestare = button(this, "BitBtnVerificareTestare", QStringLiteral("Verificare Test"),
                                     {476, 652, 150, 32}, app::windowFont(kTimes, 16));
    BitBtnVerifSus = app::pictureButton(this, "BitBtnVerifSus", {636, 644, 40, 22}, "arrow-up",
                                        QStringLiteral("Întrebarea anterioară"));
    BitBtnVerifSus->hide();
    BitBtnVerifJos = app::pictureButton(this, "BitBtnVerifJos", {636, 668, 40, 22}, "arrow-down",
                                        QStringLiteral("Întrebarea următoare"));
    BitBtnVerifJos->hide();
    lblRb = label(this, "lblRb", QStringLiteral("Răspuns Bun"), {690, 658}, label16, Qt::red);
    lblRb->hide();
    Edit1 = box(this, "Edit1", {800, 652, 44, 32}, QStringLiteral("Răspunsul bun"), letterFont, Qt::red);
    Edit1->hide();
    lblRR = label(this, "lblRR", QStringLiteral("Răspuns dat"), {860, 658}, label16);
    lblRR->hide();
    Edit2 = box(this, "Edit2", {966, 652, 44, 32}, QStringLiteral("Răspunsul dat"), letterFont);
    Edit2->hide();
}

void TfrmColreg_Proc::connectHandlers()
{
    const std::pair<QPushButton*, void (TfrmColreg_Proc::*)()> handlers[] = {
        {btnStart, &TfrmColreg_Proc::btnStartClick},
        {bitbtnUrmat, &TfrmColreg_Proc::bitbtnUrmatClick},
        {Button1, &TfrmColreg_Proc::Button1Click},
        {BitBtnVerificareTestare, &TfrmColreg_Proc::BitBtnVerificareTestareClick},
        {BitBtnVerifSus, &TfrmColreg_Proc::BitBtnVerifSusClick},
        {BitBtnVerifJos, &TfrmColreg_Proc::BitBtnVerifJosClick},
        {Inapoi, &TfrmColreg_Proc::InapoiClick},
        {Terminat, &TfrmColreg_Proc::TerminatClick},
    };
    for (const auto& [b, handler] : handlers)
        connect(b, &QPushButton::clicked, this,
                [this, handler] { kit_.guarded([this, handler] { (this->*handler)(); }); });
}

void TfrmColreg_Proc::showPractice()
{
    // As the menu refuses the ordinary test in a run that may not write the bank.
    if (const std::string& why = database_.conColreg.readOnlyReason(); !why.empty())
        throw store::Error("Testul nu poate începe: " + why);
    setPractice(true);
    kit_.showWindow(this);
}

void TfrmColreg_Proc::setPractice(bool practice)
{
    session_->setPractice(practice);
    setWindowTitle(practice ? kPracticeTitle : kTitle);
}

void TfrmColreg_Proc::hideEvent(QHideEvent* event)
{
    // Left (not minimized): the next opening from the menu is the ordinary test.
    if (!event->spontaneous())
        setPractice(false);
    QWidget::hideEvent(event);
}

void TfrmColreg_Proc::btnStartClick()
{
    kit_.boxes().message(this, kColreg, kStartNotice);
    // The draw, the emptying of old rows and the copy: all or nothing. A failure leaves the window
    // as it was, "Start" enabled.
    const TestSession::Started started = session_->start();
    btnStart->setEnabled(false);
    for (QLineEdit* e : {edtRc1, edtRcRi, edtRi, EdtRc, edtRp})
        e->setText(started.counts);
    PanTime->setText(started.time);
    if (started.viewFailure)
        std::rethrow_exception(started.viewFailure);
}

void TfrmColreg_Proc::Gen_Num()
{
    session_->drawNumbers();
}

void TfrmColreg_Proc::CopFis_FisT()
{
    session_->copyDrawnQuestions();
}

QString TfrmColreg_Proc::chosenLetter() const
{
    const std::pair<QRadioButton*, const char*> answers[] = {{rdbtnA, "A"}, {rdbtnB, "B"}, {rdbtnC, "C"}};
    for (const auto& [radio, letter] : answers)
        if (radio->isChecked())
            return QString::fromLatin1(letter);
    return {};
}

void TfrmColreg_Proc::bitbtnUrmatClick()
{
    if (session_->atEnd())
        return;
    // The letter is stored first, before anything shows: a letter the file does not take leaves the
    // window, the counts and the cursor as they were (the error box says why), the choice still made.
    const TestSession::Answered answered = session_->answer(chosenLetter());
    edtNrInt->setText(answered.remainingBefore);
    for (QRadioButton* radio : {rdbtnA, rdbtnB, rdbtnC})
        uncheck(radio);
    kit_.boxes().notice(answered.correct ? kGood : QStringLiteral("Răspuns ERONAT. Învață!"));
    showScore(answered.score, answered.correct);
    const TestSession::MovedOn moved = session_->moveOn();
    if (moved.atEnd)
        kit_.boxes().message(this, kColreg, kAtEnd);
    edtNrInt->setText(moved.remaining);
    // A picture the views could not show: the answer and the move stand.
    for (const std::exception_ptr& failure : {answered.viewFailure, moved.viewFailure})
        if (failure)
            std::rethrow_exception(failure);
}

void TfrmColreg_Proc::showScore(const TestSession::Score& score, bool correct)
{
    edtRp->setText(score.percent);
    edtRc1->setText(score.correct);
    edtRcRi->setText(score.given);
    // The box of the other count keeps its text.
    if (correct)
        EdtRc->setText(score.correct);
    else
        edtRi->setText(score.wrong);
    if (score.gradeDue) {
        Button1->show();
        edtNota->show();
    }
}

void TfrmColreg_Proc::Button1Click()
{
    const TestSession::Graded graded = session_->grade();
    edtNota->setText(graded.grade);
    // The grade is shown whatever became of its record.
    if (graded.recordFailure)
        std::rethrow_exception(graded.recordFailure);
}

void TfrmColreg_Proc::BitBtnVerificareTestareClick()
{
    Panel1->hide();
    Panel2->hide();
    Panel3->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{BitBtnVerifSus, BitBtnVerifJos, Edit1, Edit2, lblRb, lblRR})
        w->show();
    Edit1->clear();
    Edit2->clear();
    session_->enterReview();
}

void TfrmColreg_Proc::BitBtnVerifSusClick()
{
    reviewStep(false);
}

void TfrmColreg_Proc::BitBtnVerifJosClick()
{
    reviewStep(true);
}

void TfrmColreg_Proc::reviewStep(bool down)
{
    const TestSession::ReviewStep step = session_->reviewStep(down);
    Edit1->clear();
    Edit2->clear();
    if (step.atEdge) {
        kit_.boxes().message(this, kColreg, down ? kAtEnd : QStringLiteral("Ești la începutul fișierului!"));
        return;
    }
    // The review's own wording of a wrong answer has a plain "I".
    kit_.boxes().notice(step.correct ? kGood : QStringLiteral("Răspuns ERONAT. Invață!"));
    Edit1->setText(step.culRB);
    Edit2->setText(step.culRR);
}

std::exception_ptr TfrmColreg_Proc::tidyUp(bool ordered)
{
    const std::exception_ptr failure = session_->emptyScratchTable(ordered);
    btnStart->setEnabled(true);
    Panel1->show();
    Panel2->show();
    Panel3->show();
    return failure;
}

// The test is left only through "Înapoi" and "Terminat", so both always leave; what the tidying could
// not do is reported last (the next "Start" empties what is left).
void TfrmColreg_Proc::InapoiClick()
{
    kit_.boxes().message(this, kColreg, kLeaving);
    const std::exception_ptr failure = tidyUp(false);
    kit_.closeWindow(this);
    kit_.showWindow(menu_);
    if (failure)
        std::rethrow_exception(failure);
}

void TfrmColreg_Proc::TerminatClick()
{
    kit_.boxes().message(this, QStringLiteral("RColreg"), kLeaving);
    const std::exception_ptr failure = tidyUp(true);
    // Reported before the end is asked for: once it is, the event loop of a box would return at once.
    if (failure)
        kit_.guarded([&failure] { std::rethrow_exception(failure); });
    kit_.endProgram();
}

void TfrmColreg_Proc::Timer2Timer()
{
    const TestSession::Tick tick = session_->tick();
    PanTime->setText(tick.time);
    PanTime1->setText(tick.remaining);
}
