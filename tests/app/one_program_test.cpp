// One program per bank, at start-up and in a run that only reads its bank because another program holds
// it: the learning window pages, a correction and the self-test are refused with the reason, once per
// try, and nothing reaches the file.
#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QTest>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "app/structure_check.h"
#include "learning/frm_inv_colreg.h"
#include "startup/single_instance.h"
#include "startup/start_up.h"
#include "store/bank_location.h"
#include "store/views/db_memo.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

const QString kReason = QStringLiteral(
    "banca de întrebări este deschisă numai pentru învățare, pentru că o folosește alt program Velmaris.");

TEST(LearningOnly, PagesButTakesNoCorrectionAndNoTest)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(4), 2);
    app::Kit kit;
    BoxRecorder recorder(kit);
    fixture::ProgramHolder run(kit);
    run.build(folder.path(), kReason.toStdString());
    auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
    kit.showWindow(frmMain);
    // The file is sound: the check finds nothing, and the file stays open for reading only.
    app::checkDatabaseStructure(frmMain->data.conColreg);
    EXPECT_TRUE(recorder.errors().empty());

    frmAlege->Invatare1->trigger();
    frmInv_Colreg->BitbtnInainteClick();
    EXPECT_EQ(frmInv_Colreg->DBMemo1->toPlainText(), QStringLiteral("Întrebarea 1"));

    // A correction typed into the question: refused at the first key, with the reason; the text stays.
    frmInv_Colreg->activateWindow();
    frmInv_Colreg->DBMemo1->setFocus();
    QTest::keyClick(frmInv_Colreg->DBMemo1, Qt::Key_X);
    ASSERT_EQ(recorder.errors().size(), 1u);
    EXPECT_EQ(recorder.errors().front(), QStringLiteral("Corecturile nu se pot salva: ") + kReason);
    EXPECT_EQ(frmInv_Colreg->DBMemo1->toPlainText(), QStringLiteral("Întrebarea 1"));
    EXPECT_EQ(frmMain->data.tblIntrebari.State(), store::CursorState::Browse);
    // Paging goes on without a further box.
    frmInv_Colreg->BitbtnInainteClick();
    EXPECT_EQ(frmInv_Colreg->DBMemo1->toPlainText(), QStringLiteral("Întrebarea 2"));
    EXPECT_EQ(recorder.errors().size(), 1u);

    // The self-test: refused from the menu with the reason; no test window, the menu stays.
    recorder.boxes.clear();
    kit.showWindow(frmAlege);
    frmAlege->estarecapreciereprocentual1->trigger();
    EXPECT_EQ(recorder.errors(), std::vector<QString>{QStringLiteral("Testul nu poate începe: ") + kReason});
    EXPECT_FALSE(frmColreg_Proc->isVisible());
    EXPECT_TRUE(frmAlege->isVisible());

    run.destroy();
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 1"),
              std::vector<std::string>{"Întrebarea 1"});
    EXPECT_EQ(folder.count("ManInt"), 2) << "the scratch rows of the program that holds the bank stay";
}

// A run that may write its bank is not touched by an empty reason.
TEST(LearningOnly, AnEmptyReasonChangesNothing)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    app::Kit kit;
    BoxRecorder recorder(kit);
    fixture::ProgramHolder run(kit);
    run.build(folder.path(), {});
    auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
    EXPECT_TRUE(frmMain->data.conColreg.readOnlyReason().empty());
    kit.showWindow(frmAlege);
    frmAlege->estarecapreciereprocentual1->trigger();
    EXPECT_TRUE(recorder.errors().empty());
    EXPECT_TRUE(frmColreg_Proc->isVisible());
    run.destroy();
}

// Start-up on a bank that another machine's program holds: the user is asked, with who holds it; leaving
// ends the start, learning only settles the bank for the run with the reason. A free bank is claimed and
// released with the program.
TEST(OneProgram, AStartAsksAboutABankHeldElsewhereAndClaimsAFreeOne)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    const QString executableFolder = QString::fromStdString(folder.path());
    const std::string lock = folder.databasePath() + ".lock";
    app::Kit kit;
    BoxRecorder recorder(kit);

    std::ofstream(lock) << "4242\nVelmaris\nalt-calculator\n";
    for (const bool learn : {false, true}) {
        std::vector<QString> asked;
        startup::SingleInstance instance(kit, [&](const QString& text) {
            asked.push_back(text);
            return learn;
        });
        const startup::BankStart start = instance.start(executableFolder);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].indexOf(QStringLiteral("pe calculatorul alt-calculator")), -1) << asked[0].toStdString();
        EXPECT_EQ(start.leave, !learn);
        if (learn) {
            const QString why = QString::fromStdString(start.bank.learningOnly);
            EXPECT_TRUE(why.startsWith(QStringLiteral("banca de întrebări '%1' este deschisă numai pentru învățare")
                                           .arg(QString::fromStdString(folder.databasePath()))))
                << start.bank.learningOnly;
            EXPECT_NE(why.indexOf(QStringLiteral("pe calculatorul alt-calculator")), -1);
            EXPECT_EQ(start.bank.folder, folder.path());
        }
    }
    EXPECT_TRUE(recorder.boxes.empty()) << "nothing else is said";

    std::remove(lock.c_str());
    {
        startup::SingleInstance instance(kit, [](const QString&) {
            ADD_FAILURE() << "a free bank asks nothing";
            return false;
        });
        const startup::BankStart start = instance.start(executableFolder);
        EXPECT_FALSE(start.leave);
        EXPECT_TRUE(start.bank.learningOnly.empty());
        EXPECT_TRUE(std::ifstream(lock).good()) << "the program holds the bank";
    }
    EXPECT_FALSE(std::ifstream(lock).good()) << "and lets it go when it ends";
}

// The program that holds the bank answers a later start on its socket once it is told to (after the welcome
// window's first paint), and not before, and no longer once it has ended.
TEST(OneProgram, TheHolderAnswersLaterStartsOnceToldTo)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(2));
    const QString executableFolder = QString::fromStdString(folder.path());
    const QString name = startup::SingleInstance::serverName(folder.databasePath());
    // As a later start asks, from a thread of its own, while this one's event loop lets the holder answer.
    const auto reached = [&name] {
        std::atomic<bool> done = false, answered = false;
        std::thread asker([&] {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (socket.waitForConnected(1000)) {
                socket.write("front\n");
                socket.waitForBytesWritten(1000);
                answered = socket.waitForReadyRead(5000) && socket.readLine() == "ok\n";
            }
            done = true;
        });
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
        asker.join();
        EXPECT_TRUE(finished);
        return answered.load();
    };
    {
        app::Kit kit;
        BoxRecorder recorder(kit);
        startup::SingleInstance holder(kit, [](const QString&) { return false; });
        ASSERT_FALSE(holder.start(executableFolder).leave);
        EXPECT_FALSE(reached()) << "listening before it was told to";
        holder.answerLaterStarts();
        holder.answerLaterStarts();
        EXPECT_TRUE(reached());
    }
    EXPECT_FALSE(reached()) << "the socket stays after the holder";
}

}  // namespace
