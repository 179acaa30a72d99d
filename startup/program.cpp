#include "startup/program.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/first_paint.h"
#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "store/error.h"
#include "testing/frm_colreg_proc.h"

namespace startup {

namespace {

// The learning window at a question, positioned on the bank's cursor as the draw positions it.
void showQuestion(app::Kit& kit, store::Database& data, QWidget* learning, int number)
{
    store::TableCursor& bank = data.tblIntrebari;
    if (!bank.Active())
        bank.Open();
    if (!bank.Locate("Nr_Intreb", number))
        throw store::Error(
            QStringLiteral("Întrebarea %1 nu mai este în banca de întrebări.").arg(number).toStdString());
    kit.showWindow(learning);
}

// Events by which the user acts on a window: the hidden windows must exist before one is handled.
bool isUserEvent(QEvent::Type type)
{
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

// Until the hidden windows are built, watches every event of the application: a user event builds them
// at once, before it is handled.
class HiddenWindowsBuilder : public QObject {
public:
    explicit HiddenWindowsBuilder(Program& program) : program_(program)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~HiddenWindowsBuilder() override
    {
        if (QCoreApplication* application = QCoreApplication::instance())
            application->removeEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (isUserEvent(event->type()))
            build();
        return false;
    }

    void build()
    {
        QCoreApplication::instance()->removeEventFilter(this);
        program_.createHiddenWindows();
    }

private:
    Program& program_;
};

Program::Program(app::Kit& kit, store::BankChoice bank) : kit_(kit), bank_(std::move(bank))
{
    // One source for the rule: the connection refuses every change with the reason, and the menu asks
    // the connection before it opens the self-test.
    if (!bank_.learningOnly.empty())
        database_.conColreg.keepReadOnly(bank_.learningOnly);
    // A view's own key and focus handling reports its failures in the same error box as a handler.
    database_.conColreg.setFailureReporter([&kit](const std::exception& failure) { kit.reportFailure(failure); });
}

// The members go in their reverse order: the builder, the results, test, learning and menu windows, the
// welcome window, and then the database.
Program::~Program() = default;

TfrmMain& Program::createWelcomeWindow()
{
    welcome_ = std::make_unique<TfrmMain>(kit_, database_, bank_);
    // "OK" finds the menu built, or builds it first: pressed through the accessibility bus it arrives as no
    // event, before the hidden windows may exist.
    welcome_->setMenuSource([this] {
        createHiddenWindows();
        return static_cast<QWidget*>(menu_.get());
    });
    return *welcome_;
}

void Program::createHiddenWindows()
{
    if (menu_)
        return;
    menu_ = std::make_unique<TfrmAlege>(kit_, database_.conColreg);
    learning_ = std::make_unique<TfrmInv_Colreg>(kit_, database_, menu_.get());
    test_ = std::make_unique<TfrmColreg_Proc>(kit_, database_, menu_.get());
    results_ = std::make_unique<TfrmRezultate>(kit_, database_, menu_.get());
    menu_->setWindows(learning_.get(), test_.get());
    menu_->setResultsWindow(results_.get());
    results_->setPractice([this] { test_->showPractice(); });
    results_->setShowQuestion([this](int number) { showQuestion(kit_, database_, learning_.get(), number); });
}

void Program::start()
{
    TfrmMain& welcome = createWelcomeWindow();
    builder_ = std::make_unique<HiddenWindowsBuilder>(*this);
    // The window's first paint has reached the screen by the next turn of the event loop.
    app::afterFirstPaint(&welcome, builder_.get(), [this] { builder_->build(); });
    kit_.showWindow(&welcome);
}

}  // namespace startup
