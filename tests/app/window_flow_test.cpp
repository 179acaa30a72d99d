#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "results/frm_rezultate.h"
#include "startup/start_up.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_layout.h"

namespace {

class WindowFlow : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void SetUp() override
    {
        folder.writeDatabase(fixture::sampleQuestions(5));
        kit().resetEndRequest();
        build(folder.path());
        kit().showWindow(frmMain);
    }
    void TearDown() override { destroy(); }

    // Which of welcome, menu, learning, test are visible, as a string of four letters (- = hidden).
    std::string visible() const
    {
        std::string v;
        v += frmMain->isVisible() ? 'W' : '-';
        v += frmAlege->isVisible() ? 'M' : '-';
        v += frmInv_Colreg->isVisible() ? 'L' : '-';
        v += frmColreg_Proc->isVisible() ? 'T' : '-';
        return v;
    }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
};

TEST_F(WindowFlow, StartShowsOnlyTheWelcomeWindowMaximizedAndTheOthersOwnedByIt)
{
    EXPECT_EQ(visible(), "W---");
    EXPECT_TRUE(frmMain->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(recorder.boxes.empty());
    for (QWidget* owned : std::initializer_list<QWidget*>{frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate}) {
        EXPECT_EQ(owned->parentWidget(), frmMain);
        EXPECT_EQ(owned->windowType(), Qt::Dialog);
        EXPECT_EQ(owned->windowModality(), Qt::NonModal);
        EXPECT_TRUE(owned->windowFlags() & Qt::WindowMinMaxButtonsHint);
        EXPECT_TRUE(owned->windowState() & Qt::WindowMaximized) << "maximized at its first show";
    }
}

TEST_F(WindowFlow, CaptionsAreExact)
{
    EXPECT_EQ(frmMain->windowTitle(),
              QString::fromUtf8("Aplicație pentru îaprofudarea învățării Regulamentului internațional pentru "
                                "prevenirea abordajelor pr mare (COLREG en.) prin testare și autotestare"));
    EXPECT_EQ(frmAlege->windowTitle(), QString::fromUtf8("Alege din meniu"));
    EXPECT_EQ(frmInv_Colreg->windowTitle(),
              QString::fromUtf8("Învățarea  Regulamentului Internațional pentru Prevenirea Abordajelor pe Mare "
                                "(RIPPAM- COLREG)  prin parcurgerea  tuturor întrebărilor și variantelor de răspuns"));
    EXPECT_EQ(frmColreg_Proc->windowTitle(), QString::fromUtf8("Testare la COLREG. en.   Evaluare procentuală"));

    const QList<QAction*> top = frmAlege->menuBar()->actions();
    ASSERT_EQ(top.size(), 5);
    const char* captions[] = {"       Terminat            ", "Învățare           ", "Testare                ",
                              "Rezultate           ", "Help"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(top[i]->text(), QString::fromUtf8(captions[i]));
    EXPECT_EQ(frmAlege->estarecapreciereprocentual1->text(),
              QString::fromUtf8("Testare cu apreciere procentuală           "));
    EXPECT_EQ(frmAlege->Invatare1->text(), QString::fromUtf8("Invatare"));
    EXPECT_EQ(frmAlege->InchideiInstruciuni1->text(), QString::fromUtf8("Inchideți Instrucțiuni operare"));
}

TEST_F(WindowFlow, MenuLeadsToEachWindowAndBack)
{
    frmMain->bitbtnOK->click();
    EXPECT_EQ(visible(), "WM--");
    frmAlege->Invatare1->trigger();
    EXPECT_EQ(visible(), "W-L-");
    kit().showWindow(frmAlege);  // the learning window's "Înapoi"
    EXPECT_EQ(visible(), "WML-");
    frmAlege->close();  // title-bar close uncovers the learning window
    EXPECT_EQ(visible(), "W-L-");
    frmInv_Colreg->close();
    EXPECT_EQ(visible(), "W---");
    frmMain->bitbtnOK->click();
    frmAlege->estarecapreciereprocentual1->trigger();
    EXPECT_EQ(visible(), "W--T");
    frmColreg_Proc->close();
    EXPECT_EQ(visible(), "W---");
    EXPECT_FALSE(kit().endRequested());
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(WindowFlow, MenuTerminatEndsTheProgramWithoutAMessage)
{
    frmMain->bitbtnOK->click();
    frmAlege->erminat1->trigger();
    EXPECT_TRUE(kit().endRequested());
    EXPECT_FALSE(frmAlege->isVisible()) << "the handler ran on after asking to end";
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(folder.count("ManInt"), 0);
}

TEST_F(WindowFlow, ClosingTheWelcomeWindowEndsTheProgramWhateverIsOpen)
{
    frmMain->bitbtnOK->click();
    frmAlege->estarecapreciereprocentual1->trigger();
    frmMain->close();
    EXPECT_TRUE(kit().endRequested());
}

TEST_F(WindowFlow, InstructionBoxKeepsItsStateTextAndScrollAcrossHideAndShow)
{
    frmMain->bitbtnOK->click();
    EXPECT_FALSE(frmAlege->Memo1->isVisible());
    frmAlege->InchideiInstruciuni1->trigger();  // closing a closed box changes nothing
    EXPECT_FALSE(frmAlege->Memo1->isVisible());
    frmAlege->InstruciuniOperare1->trigger();
    frmAlege->InstruciuniOperare1->trigger();
    EXPECT_TRUE(frmAlege->Memo1->isVisible());
    frmAlege->Memo1->insertPlainText(QStringLiteral("notă "));
    QScrollBar* bar = frmAlege->Memo1->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int scroll = bar->value();

    frmAlege->Invatare1->trigger();
    kit().showWindow(frmAlege);
    EXPECT_TRUE(frmAlege->Memo1->isVisible());
    EXPECT_EQ(bar->value(), scroll);
    EXPECT_TRUE(frmAlege->Memo1->toPlainText().startsWith(QStringLiteral("notă ")));
    frmAlege->InchideiInstruciuni1->trigger();
    EXPECT_FALSE(frmAlege->Memo1->isVisible());
}

TEST_F(WindowFlow, UserWindowStateIsKeptAcrossHideAndShow)
{
    frmMain->bitbtnOK->click();
    frmAlege->setWindowState(Qt::WindowNoState);
    frmAlege->close();
    kit().showWindow(frmAlege);
    EXPECT_FALSE(frmAlege->windowState() & Qt::WindowMaximized);
}

TEST_F(WindowFlow, WelcomeWindowHoldsItsPictureTextAndButton)
{
    if (!onConfiguredScreens())
        GTEST_SKIP() << "needs the screens of offscreen-screens.json, which this platform did not read";
    EXPECT_EQ(frmMain->Image1->geometry(), QRect(80, 84, 753, 481));
    ASSERT_FALSE(frmMain->Image1->pixmap().isNull());
    EXPECT_EQ(frmMain->Image1->pixmap().size(), QSize(753, 481));
    EXPECT_EQ(frmMain->Memo1->geometry(), QRect(839, 84, 322, 481));
    EXPECT_EQ(frmMain->bitbtnOK->geometry(), QRect(607, 571, 98, 25));
    EXPECT_EQ(frmMain->focusWidget(), frmMain->Memo1);
    QWidget* next = frmMain->Memo1->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, frmMain->bitbtnOK) << "the text box first in the tab order, then the button";
    EXPECT_FALSE(frmMain->bitbtnOK->icon().isNull());
    EXPECT_FALSE(frmMain->Memo1->isReadOnly());
    // Every drawing of the window icon found: a lost one would leave a title bar or task switcher blank.
    const QList<QSize> iconSizes = frmMain->windowIcon().availableSizes();
    for (const int size : {16, 24, 32, 48, 64, 128})
        EXPECT_TRUE(iconSizes.contains(QSize(size, size))) << size;
}

// Lines, blanks counted, as the two fixed texts must show them.
TEST_F(WindowFlow, FixedTextsKeepTheirLinesAndBlanks)
{
    const QStringList welcome = frmMain->Memo1->toPlainText().split(u'\n');
    ASSERT_EQ(welcome.size(), 22);
    EXPECT_EQ(welcome[3], QStringLiteral("  Welcome on board!You are a seaman "));
    EXPECT_EQ(welcome[15], QStringLiteral("strenght"));
    EXPECT_EQ(welcome[19], QString(22, u' '));
    EXPECT_EQ(welcome[20], QString(21, u' ') + QStringLiteral("AUTORII"));
    EXPECT_TRUE(welcome[21].isEmpty());

    const QStringList lines = frmAlege->Memo1->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 70);
    EXPECT_EQ(lines[2], QString(23, u' ') + QString::fromUtf8("INSTRUCȚIUNI PENTRU OPERAREA APLICAȚIEI"));
    EXPECT_TRUE(lines[4].startsWith(QString(4, u' ')) && lines[4].endsWith(u' ') &&
                lines[5].contains(u"/usr/share/doc/velmaris/ghid-velmaris.html"));
    EXPECT_EQ(lines[26],
              QString(10, u' ') + QString::fromUtf8("în casetă se afișează litera penttru varianta corectă,   "));
    EXPECT_EQ(lines[29], QString(11, u' ') + QString::fromUtf8("numere  aleatoare;"));
    EXPECT_EQ(lines[57], QString(24, u' ') + QStringLiteral("nota:=4."));
    EXPECT_EQ(lines[68], QString(10, u' '));
    EXPECT_EQ(lines[69], QString(10, u' '));
}

}  // namespace
