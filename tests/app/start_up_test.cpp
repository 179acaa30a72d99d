#include "startup/start_up.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "startup/single_instance.h"
#include "store/views/db_memo.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

struct StartResult {
    std::vector<QString> errors;
    bool welcomeVisibleDuringError = false;
    bool open[4] = {};
};

// Starts the program on `folder` as main() does and notes what the user saw.
StartResult start(fixture::ProgramHolder& run, const fixture::Folder& folder)
{
    StartResult result;
    BoxRecorder recorder(run.kit());
    recorder.whileOpen = [&](const BoxRecorder::Box&) {
        result.welcomeVisibleDuringError = run.frmMain && run.frmMain->isVisible();
    };
    run.build(folder.path());
    TfrmMain* frmMain = run.frmMain;
    run.kit().showWindow(frmMain);
    result.errors = recorder.errors();
    result.open[0] = frmMain->data.tblIntrebari.Active();
    result.open[1] = frmMain->data.tblTest.Active();
    result.open[2] = frmMain->data.tblRezultate.Active();
    result.open[3] = frmMain->data.tblStudenti.Active();
    return result;
}

TEST(StartUp, WithAGoodDatabaseOpensTheFourTablesSilently)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3));
    fixture::ProgramHolder run;
    const StartResult r = start(run, folder);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(r.open[0] && r.open[1] && r.open[2] && r.open[3]);
    EXPECT_EQ(run.frmMain->data.tblIntrebari.RecordCount(), 3);
    EXPECT_EQ(run.frmMain->data.conColreg.file(), folder.path() + "/Velmaris.mdb");
}

struct BadFile {
    const char* name;
    std::function<void(fixture::Folder&)> make;
    const char* messageStart;
    int tablesOpen;             // how many of the four, in opening order, opened before the failure
    const char* mentions = "";  // also in the message, after the file's path
};

TEST(StartUp, WithABadDatabaseReportsBeforeTheWelcomeWindowAndGoesOn)
{
    const BadFile cases[] = {
        {"missing", [](fixture::Folder&) {}, "Fișierul bazei de date '", 0, "' nu există. Reinstalați programul"},
        {"empty", [](fixture::Folder& f) { f.writeBytes(""); }, "Fișierul bazei de date '", 0,
         "' este gol: nu are nicio tabelă. Închideți programul, ștergeți fișierul"},
        {"not a database", [](fixture::Folder& f) { f.writeBytes(std::string(4096, '\x5a')); }, "Fișierul '", 0,
         "' nu este o bază de date Velmaris. Închideți programul"},
        {"without ManInt",
         [](fixture::Folder& f) {
             f.writeDatabase(fixture::sampleQuestions(2));
             f.exec("DROP TABLE ManInt");
         },
         "tblTest: Tabela 'ManInt' lipsește din baza de date '", 1, "'. Închideți programul"},
        // A table without the fields the windows show is reported once, when it is opened, and stays
        // closed: not once more for every view bound to one of its fields.
        {"bank without the picture field",
         [](fixture::Folder& f) {
             f.writeDatabase(fixture::sampleQuestions(2));
             f.exec("ALTER TABLE Intrebari DROP COLUMN Poza");
         },
         "tblIntrebari: Tabela 'Intrebari' din baza de date '", 0,
         "' nu are câmpurile de care are nevoie programul (lipsesc: Poza). Închideți programul"},
        {"bank without two variants",
         [](fixture::Folder& f) {
             f.writeDatabase(fixture::sampleQuestions(2));
             f.exec("ALTER TABLE Intrebari DROP COLUMN Sol2; ALTER TABLE Intrebari DROP COLUMN Sol3");
         },
         "tblIntrebari: Tabela 'Intrebari' din baza de date '", 0,
         "' nu are câmpurile de care are nevoie programul (lipsesc: Sol2, Sol3). Închideți"},
        {"scratch table with other fields",
         [](fixture::Folder& f) {
             f.writeDatabase(fixture::sampleQuestions(2));
             f.exec("DROP TABLE ManInt; CREATE TABLE ManInt(Id INTEGER PRIMARY KEY, Ceva TEXT)");
         },
         "tblTest: Tabela 'ManInt' din baza de date '", 1,
         "' nu are câmpurile de care are nevoie programul (lipsesc: Nr_Intreb, Intrebare, Sol1, Sol2, Sol3, Poza, R1, "
         "R2, R3, Rb, Rd). Închideți"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::Folder folder;
        c.make(folder);
        fixture::ProgramHolder run;
        TfrmMain*& frmMain = run.frmMain;
        const StartResult r = start(run, folder);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_TRUE(r.errors[0].startsWith(QString::fromUtf8(c.messageStart))) << r.errors[0].toStdString();
        EXPECT_TRUE(r.errors[0].contains(QString::fromStdString(folder.databasePath()) + QString::fromUtf8(c.mentions)))
            << r.errors[0].toStdString();
        EXPECT_FALSE(r.welcomeVisibleDuringError);
        EXPECT_TRUE(frmMain->isVisible()) << "start-up goes on";
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(r.open[i], i < c.tablesOpen) << "table " << i;
        if (std::string(c.name) == "missing") {
            EXPECT_FALSE(std::filesystem::exists(folder.databasePath()));
        }

        if (c.tablesOpen == 4)
            continue;
        // A later operation on the closed cursor reports the closed-cursor error and the program goes on.
        BoxRecorder later(run.kit());
        run.kit().guarded([frmMain] { frmMain->data.tblTest.First(); });
        ASSERT_EQ(later.errors().size(), 1u);
        EXPECT_EQ(later.errors()[0], QStringLiteral("tblTest: Cannot perform this operation on a closed dataset."));
    }
}

#ifdef _WIN32
// Installed: the bank beside the program, marked read-only by the installer; the user's copy goes to
// %APPDATA%/Velmaris and the connection names it.
TEST(StartUp, AnInstalledProgramOpensTheUsersCopyOfTheBank)
{
    fixture::Folder prefix;
    const std::string exe = prefix.path() + "/Program Files/Velmaris";
    const std::string data = exe;
    std::filesystem::create_directories(exe);
    prefix.writeDatabase(fixture::sampleQuestions(4), 2);
    std::filesystem::rename(prefix.databasePath(), exe + "/Velmaris.mdb");
    std::filesystem::permissions(exe + "/Velmaris.mdb",
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    const char* const variable = "APPDATA";
    const std::string copy = prefix.path() + "/home/Velmaris/Velmaris.mdb";
    const QByteArray home = qgetenv(variable);
    qputenv(variable, QByteArray::fromStdString(prefix.path() + "/home"));
#else
// Installed: the executable in <prefix>/libexec/velmaris, the bank in <prefix>/share/velmaris, both
// read-only to the user; the user's copy goes to the per-user data folder and the connection names it.
TEST(StartUp, AnInstalledProgramOpensTheUsersCopyOfTheBank)
{
    fixture::Folder prefix;
    const std::string exe = prefix.path() + "/libexec/velmaris";
    const std::string data = prefix.path() + "/share/velmaris";
    std::filesystem::create_directories(exe);
    std::filesystem::create_directories(data);
    prefix.writeDatabase(fixture::sampleQuestions(4), 2);
    std::filesystem::rename(prefix.databasePath(), data + "/Velmaris.mdb");
    const char* const variable = "XDG_DATA_HOME";
    const std::string copy = prefix.path() + "/home/velmaris/Velmaris.mdb";
    const QByteArray home = qgetenv(variable);
    qputenv(variable, QByteArray::fromStdString(prefix.path() + "/home"));
#endif

    app::Kit kit;
    BoxRecorder recorder(kit);
    {
        // As main() does: the start chooses the bank, and the program opens what it chose.
        startup::SingleInstance instance(kit);
        const startup::BankStart start = instance.start(QString::fromStdString(exe));
        qputenv(variable, home);
        ASSERT_FALSE(start.leave);
        fixture::TestProgram program(kit, start.bank);
        store::Database& opened = program.data();
        EXPECT_TRUE(recorder.errors().empty());
        EXPECT_EQ(opened.conColreg.file(), copy);
        EXPECT_EQ(opened.tblIntrebari.RecordCount(), 4);
        EXPECT_EQ(opened.tblTest.RecordCount(), 2) << "the copy holds the installed bank as it was";
        opened.tblTest.First();
        opened.tblTest.Delete();
    }
    EXPECT_EQ(std::filesystem::file_size(copy), std::filesystem::file_size(data + "/Velmaris.mdb"));
    fixture::Folder check;
    std::filesystem::copy_file(data + "/Velmaris.mdb", check.databasePath());
    EXPECT_EQ(check.count("ManInt"), 2) << "the installed bank is never written";
#ifdef _WIN32
    std::filesystem::permissions(data + "/Velmaris.mdb", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
#endif
}

bool hiddenWindowsBuilt(const startup::Program& program)
{
    return program.menuWindow() && program.learningWindow() && program.testWindow() && program.resultsWindow();
}

// Notes whether the hidden windows exist when an event of one type reaches a control.
struct WindowsWhenHandled : QObject {
    WindowsWhenHandled(QEvent::Type t, const startup::Program& p) : type(t), program(p) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type && !seen) {
            seen = true;
            built = hiddenWindowsBuilt(program);
        }
        return false;
    }
    QEvent::Type type;
    const startup::Program& program;
    bool seen = false, built = false;
};

void expectHiddenWindowsBuilt(const startup::Program& program)
{
    ASSERT_TRUE(hiddenWindowsBuilt(program));
    EXPECT_EQ(program.menuWindow()->parentWidget(), program.welcomeWindow());
    EXPECT_FALSE(program.learningWindow()->isVisible() || program.testWindow()->isVisible() ||
                 program.resultsWindow()->isVisible());
    EXPECT_TRUE(program.testWindow()->Timer2->isActive()) << "the clock runs from the test window's creation";
}

// The program shows its welcome window first and builds the other three right after; a user who acts
// before then finds every window there, and the action does what it always does.
TEST(StartUp, TheHiddenWindowsExistBeforeTheFirstUserEventIsHandled)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3));
    const auto click = [](QWidget* w, QEvent::Type type) {
        QMouseEvent event(type, QPointF(w->rect().center()), w->mapToGlobal(QPointF(w->rect().center())),
                          Qt::LeftButton, type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    };
    struct Case {
        const char* name;
        QEvent::Type type;
        std::function<QWidget*(TfrmMain*)> target;
        std::function<void(QWidget*)> act;
    };
    const Case cases[] = {
        {"OK clicked", QEvent::MouseButtonPress,
         [](TfrmMain* frmMain) { return static_cast<QWidget*>(frmMain->bitbtnOK); },
         [&](QWidget* w) {
             click(w, QEvent::MouseButtonPress);
             click(w, QEvent::MouseButtonRelease);
         }},
        {"a key typed", QEvent::KeyPress, [](TfrmMain* frmMain) { return static_cast<QWidget*>(frmMain->Memo1); },
         [](QWidget* w) {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
             QCoreApplication::sendEvent(w, &press);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::Kit kit;
        BoxRecorder recorder(kit);
        startup::Program program(kit, fixture::bankIn(folder.path()));
        program.start();
        ASSERT_TRUE(program.welcomeWindow()->isVisible());
        EXPECT_EQ(program.menuWindow(), nullptr) << "the premise: not built before the event loop has run";
        QWidget* target = c.target(program.welcomeWindow());
        WindowsWhenHandled seen(c.type, program);
        target->installEventFilter(&seen);
        c.act(target);
        target->removeEventFilter(&seen);
        EXPECT_TRUE(seen.seen && seen.built);
        expectHiddenWindowsBuilt(program);
        if (c.type == QEvent::MouseButtonPress) {
            EXPECT_TRUE(program.menuWindow()->isVisible()) << "OK showed the menu";
        }
        EXPECT_TRUE(recorder.errors().empty());
    }
}

// "OK" pressed with no event reaching the program first (the accessibility bus's press action ends
// in such a click) still finds the menu.
TEST(StartUp, OkPressedBeforeTheHiddenWindowsAreBuiltShowsTheMenu)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3));
    app::Kit kit;
    BoxRecorder recorder(kit);
    startup::Program program(kit, fixture::bankIn(folder.path()));
    program.start();
    ASSERT_EQ(program.menuWindow(), nullptr) << "the premise: not built before the event loop has run";
    program.welcomeWindow()->bitbtnOK->click();
    expectHiddenWindowsBuilt(program);
    EXPECT_TRUE(program.menuWindow()->isVisible());
    EXPECT_TRUE(recorder.errors().empty());
}

TEST(StartUp, TheHiddenWindowsFollowTheWelcomeWindowsFirstPaint)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3));
    app::Kit kit;
    startup::Program program(kit, fixture::bankIn(folder.path()));
    program.start();
    for (int i = 0; i < 200 && !program.menuWindow(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    expectHiddenWindowsBuilt(program);
    EXPECT_TRUE(program.welcomeWindow()->isVisible());
}

// The program's data outlives every window: each window, with the views in it that follow the cursors,
// goes while the connection and the cursors are still open, the welcome window (the others' Qt parent)
// last; and the kit forgets the welcome window.
TEST(StartUp, TheWindowsGoBeforeTheDataTheyShow)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(3));
    fixture::ProgramHolder run;
    run.build(folder.path());
    auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
    store::Database& data = frmMain->data;
    std::vector<std::string> gone;
    for (QWidget* window :
         std::initializer_list<QWidget*>{frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate})
        QObject::connect(window, &QObject::destroyed, [&data, &gone, name = window->objectName().toStdString()] {
            const bool dataOpen = data.conColreg.handle() && data.tblIntrebari.Active() && data.tblTest.Active();
            gone.push_back(name + (dataOpen ? "" : " after the data"));
        });
    run.destroy();
    EXPECT_EQ(gone,
              (std::vector<std::string>{"frmRezultate", "frmColreg_Proc", "frmInv_Colreg", "frmAlege", "frmMain"}));
    EXPECT_EQ(run.kit().mainWindow(), nullptr);
}

// Two programs in one process share nothing: each one's windows register with, show their boxes through
// and end through that program's own kit, its views' failures included.
TEST(StartUp, TwoProgramsEachKeepTheirOwnKit)
{
    fixture::Folder noBank;  // the first program's bank cursor stays closed
    fixture::Folder bank;
    bank.writeDatabase(fixture::sampleQuestions(2));
    const std::string reason = "banca este deschisă numai pentru învățare.";
    fixture::ProgramHolder first;
    fixture::ProgramHolder second;
    BoxRecorder firstBoxes(first.kit());
    BoxRecorder secondBoxes(second.kit());
    first.build(noBank.path());
    second.build(bank.path(), reason);
    EXPECT_EQ(firstBoxes.errors().size(), 1u) << "the missing bank, reported by its own program";
    EXPECT_TRUE(secondBoxes.boxes.empty());
    for (fixture::ProgramHolder* run : {&first, &second}) {
        EXPECT_EQ(run->kit().mainWindow(), run->frmMain);
        for (QWidget* owned :
             std::initializer_list<QWidget*>{run->frmAlege, run->frmInv_Colreg, run->frmColreg_Proc, run->frmRezultate})
            EXPECT_EQ(owned->parentWidget(), run->frmMain) << owned->objectName().toStdString();
    }

    firstBoxes.boxes.clear();
    first.kit().showWindow(first.frmInv_Colreg);
    first.frmInv_Colreg->BitbtnInainte->click();
    EXPECT_EQ(firstBoxes.errors(),
              std::vector<QString>{QStringLiteral("tblIntrebari: Cannot perform this operation on a closed dataset.")});
    EXPECT_TRUE(secondBoxes.boxes.empty());

    // A key refused by the second program's view goes to its connection's reporter, and so to its kit.
    firstBoxes.boxes.clear();
    second.kit().showWindow(second.frmInv_Colreg);
    second.frmInv_Colreg->BitbtnInainte->click();
    second.frmInv_Colreg->DBMemo1->setFocus();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(second.frmInv_Colreg->DBMemo1, &key);
    EXPECT_EQ(secondBoxes.errors(),
              std::vector<QString>{QStringLiteral("Corecturile nu se pot salva: ") + QString::fromStdString(reason)});
    EXPECT_TRUE(firstBoxes.boxes.empty());

    first.frmInv_Colreg->Terminat->click();
    EXPECT_TRUE(first.kit().endRequested());
    EXPECT_FALSE(second.kit().endRequested());
    first.destroy();
    EXPECT_EQ(first.kit().mainWindow(), nullptr);
    EXPECT_EQ(second.kit().mainWindow(), second.frmMain);
    second.destroy();
}

TEST(Guard, StopsTheHandlerAtTheFailingStepAndKeepsWhatWasDone)
{
    app::Kit kit;
    BoxRecorder recorder(kit);
    std::vector<int> steps;
    kit.guarded([&] {
        steps.push_back(1);
        throw std::runtime_error("Bitmap image is not valid");
        steps.push_back(2);
    });
    EXPECT_EQ(steps, std::vector<int>{1});
    ASSERT_EQ(recorder.errors().size(), 1u);
    EXPECT_EQ(recorder.errors()[0], QStringLiteral("Bitmap image is not valid."));
}

}  // namespace
