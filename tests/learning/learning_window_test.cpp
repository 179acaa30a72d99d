#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "startup/start_up.h"
#include "store/picture.h"
#include "store/views/db_edit.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

// Notes whether the correct letter was visible whenever the bank cursor changed record.
struct LetterWatch : store::DataLink {
    TfrmInv_Colreg* window = nullptr;
    std::vector<bool> visibleAtMove;
    void recordChanged() override { visibleAtMove.push_back(window->DBEdit1->isVisible()); }
    void fieldChanged(int) override {}
    void updateRecord() override {}
};

class LearningWindow : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void start(int questions, bool withDatabase = true)
    {
        if (withDatabase)
            folder.writeDatabase(fixture::sampleQuestions(questions));
        kit().resetEndRequest();
        build(folder.path());
        kit().showWindow(frmMain);
        watch.window = frmInv_Colreg;
        frmMain->data.dsIntrebari.attach(&watch);
        recorder.boxes.clear();
        frmAlege->Invatare1->trigger();
        w = frmInv_Colreg;
    }
    void TearDown() override
    {
        if (frmMain)
            frmMain->data.dsIntrebari.detach(&watch);
        destroy();
    }
    std::string question() const { return w->DBMemo1->toPlainText().toStdString(); }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
    LetterWatch watch;
    TfrmInv_Colreg* w = nullptr;
};

TEST_F(LearningWindow, ShowsTheCurrentQuestionWithItsLetterAtFirst)
{
    start(5);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(question(), "Întrebarea 0");
    EXPECT_EQ(w->DBMemo4->toPlainText(), "Varianta a 0");
    EXPECT_EQ(w->DBMemo3->toPlainText(), "Varianta b 0");
    EXPECT_EQ(w->DBMemo2->toPlainText(), "Varianta c 0");
    EXPECT_TRUE(w->DBEdit1->isVisible());
    EXPECT_EQ(w->DBEdit1->text(), "A");
    EXPECT_EQ(w->focusWidget(), w->Inapoi);
}

TEST_F(LearningWindow, NavigatesAndAnnouncesTheEndsAfterTheMove)
{
    start(4);
    struct Step {
        QPushButton* TfrmInv_Colreg::*button;
        const char* question;
        const char* message;  // "" for none
    };
    const Step steps[] = {
        {&TfrmInv_Colreg::BitbtnInainte, "Întrebarea 1", ""},
        {&TfrmInv_Colreg::BitBtnInapoi, "Întrebarea 0", ""},
        {&TfrmInv_Colreg::BitBtnInapoi, "Întrebarea 0", ""},  // left on the first: no move, no message
        {&TfrmInv_Colreg::BitBtnPrimaFis, "Întrebarea 0", "Ești la începutul fișierului!"},
        {&TfrmInv_Colreg::BitBtnUltimaFis, "Întrebarea 3", "Ești la sfârșitul fișierului!"},
        {&TfrmInv_Colreg::BitbtnInainte, "Întrebarea 3", ""},
        {&TfrmInv_Colreg::BitBtnUltimaFis, "Întrebarea 3", "Ești la sfârșitul fișierului!"},
        {&TfrmInv_Colreg::BitBtnPrimaFis, "Întrebarea 0", "Ești la începutul fișierului!"},
    };
    std::string questionWhileBoxOpen;
    recorder.whileOpen = [&](const BoxRecorder::Box&) { questionWhileBoxOpen = question(); };
    for (const Step& s : steps) {
        w->bitbtnVerific->click();
        ASSERT_TRUE(w->DBEdit1->isVisible());
        recorder.boxes.clear();
        watch.visibleAtMove.clear();
        (w->*s.button)->click();
        EXPECT_EQ(question(), s.question);
        EXPECT_FALSE(w->DBEdit1->isVisible());
        for (bool visible : watch.visibleAtMove)
            EXPECT_FALSE(visible) << "the letter is hidden before the cursor moves";
        if (*s.message) {
            ASSERT_EQ(recorder.boxes.size(), 1u) << s.message;
            const auto& box = recorder.boxes[0];
            EXPECT_EQ(box.kind, BoxRecorder::Kind::Message);
            EXPECT_EQ(box.owner, w);
            EXPECT_EQ(box.caption, QString::fromUtf8("Conducere și manevră"));
            EXPECT_EQ(box.text, QString::fromUtf8(s.message));
            EXPECT_EQ(questionWhileBoxOpen, s.question) << "the box comes after the move";
        } else {
            EXPECT_TRUE(recorder.boxes.empty());
        }
    }
    w->bitbtnVerific->click();
    w->bitbtnVerific->click();
    EXPECT_TRUE(w->DBEdit1->isVisible());
    EXPECT_EQ(w->DBEdit1->text(), "A");
}

TEST_F(LearningWindow, ShowsTheQuestionsPictureCentredInItsView)
{
    auto questions = fixture::sampleQuestions(3);
    QImage picture(160, 200, QImage::Format_ARGB32);
    picture.fill(QColor(0x0B, 0x16, 0x33));
    questions[1].picture = store::encodeBmp(picture).toStdString();
    folder.writeDatabase(questions);
    start(0, false);
    w->BitbtnInainte->click();
    ASSERT_FALSE(w->DBImage1->picture().isNull());
    const QImage shown = w->DBImage1->grab().toImage();
    const QRect inside = w->DBImage1->contentsRect();
    const QPoint centre = inside.center();
    EXPECT_EQ(shown.pixelColor(centre), QColor(0x0B, 0x16, 0x33));
    EXPECT_EQ(shown.pixelColor(inside.topLeft() + QPoint(2, 2)), w->DBImage1->palette().color(QPalette::Base));
}

TEST_F(LearningWindow, EmptyBankShowsNothingAndStillAnnouncesTheEnds)
{
    start(0);
    EXPECT_EQ(question(), "");
    w->BitbtnInainte->click();
    w->BitBtnInapoi->click();
    EXPECT_TRUE(recorder.boxes.empty());
    w->BitBtnPrimaFis->click();
    w->BitBtnUltimaFis->click();
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[0].text, QString::fromUtf8("Ești la începutul fișierului!"));
    EXPECT_EQ(recorder.boxes[1].text, QString::fromUtf8("Ești la sfârșitul fișierului!"));
    w->bitbtnVerific->click();
    EXPECT_TRUE(w->DBEdit1->isVisible());
    EXPECT_TRUE(recorder.errors().empty());
}

TEST_F(LearningWindow, ClosedBankReportsEachArrowAndSkipsItsMessage)
{
    start(0, false);  // no database file: the bank cursor stays closed
    QPushButton* TfrmInv_Colreg::*arrows[] = {&TfrmInv_Colreg::BitBtnPrimaFis, &TfrmInv_Colreg::BitBtnInapoi,
                                              &TfrmInv_Colreg::BitbtnInainte, &TfrmInv_Colreg::BitBtnUltimaFis};
    for (auto arrow : arrows) {
        w->bitbtnVerific->click();
        recorder.boxes.clear();
        (w->*arrow)->click();
        EXPECT_FALSE(w->DBEdit1->isVisible());
        ASSERT_EQ(recorder.boxes.size(), 1u);
        EXPECT_EQ(recorder.boxes[0].kind, BoxRecorder::Kind::Error);
        EXPECT_EQ(recorder.boxes[0].text, "tblIntrebari: Cannot perform this operation on a closed dataset.");
    }
    w->Inapoi->click();
    EXPECT_TRUE(frmAlege->isVisible());
    EXPECT_TRUE(w->isVisible()) << "stays open beneath the menu";
    w->Terminat->click();
    EXPECT_TRUE(kit().endRequested());
}

TEST_F(LearningWindow, ComesBackAsItWasLeft)
{
    start(5);
    w->BitbtnInainte->click();
    w->BitbtnInainte->click();
    w->Inapoi->click();
    EXPECT_TRUE(frmAlege->isVisible());
    frmAlege->Invatare1->trigger();
    EXPECT_FALSE(frmAlege->isVisible());
    EXPECT_EQ(question(), "Întrebarea 2");
    EXPECT_FALSE(w->DBEdit1->isVisible());
    w->Terminat->click();
    EXPECT_TRUE(kit().endRequested());
    EXPECT_TRUE(recorder.boxes.empty());
}

// Another program (a second copy of the program, the bank tool) changes the question the cadet is
// correcting. The correction is refused once, in Romanian, with what the question holds now; the window
// shows that, on the same question; nothing of the other program's change is written over.
TEST_F(LearningWindow, ACorrectionOfAQuestionAnotherProgramChangedIsRefusedAndTheNewTextShown)
{
    start(3);
    w->DBMemo1->setFocus();
    QTest::keyClicks(w->DBMemo1, " corectata");
    folder.exec("UPDATE Intrebari SET Intrebare = 'Schimbată de altul' WHERE Nr_Intreb = 0");
    recorder.boxes.clear();
    w->BitbtnInainte->click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].kind, BoxRecorder::Kind::Error);
    EXPECT_EQ(recorder.boxes[0].text,
              QString::fromUtf8("Întrebarea nr. 0 a fost schimbată de alt program după ce acest program a citit-o, de "
                                "aceea modificarea dumneavoastră nu a fost scrisă peste ea. Acum ea are: textul "
                                "„Schimbată de altul”. Fereastra arată acum întrebarea așa cum este în fișier; dacă "
                                "modificarea mai este necesară, faceți-o din nou."));
    EXPECT_EQ(question(), "Schimbată de altul");
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Schimbată de altul");

    // Made again, the correction is stored and the arrow moves on.
    recorder.boxes.clear();
    w->DBMemo1->setFocus();
    QTest::keyClick(w->DBMemo1, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(w->DBMemo1, " si corectata");
    w->BitbtnInainte->click();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(question(), "Întrebarea 1");
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0],
              "Schimbată de altul si corectata");
}

// The other program changed a variant, the cadet the text: the text view drops the typing it can no
// longer store and shows the text the file holds, beside the variant as the other program left it.
TEST_F(LearningWindow, ARefusedCorrectionLeavesNoTypingOnScreen)
{
    start(3);
    w->DBMemo1->setFocus();
    QTest::keyClicks(w->DBMemo1, " corectata");
    folder.exec("UPDATE Intrebari SET Sol2 = 'b de altul' WHERE Nr_Intreb = 0");
    w->bitbtnVerific->click();
    recorder.boxes.clear();
    w->BitBtnUltimaFis->click();
    ASSERT_EQ(recorder.errors().size(), 1u);
    EXPECT_TRUE(recorder.errors()[0].contains(QString::fromUtf8("varianta b) „b de altul”")));
    EXPECT_EQ(recorder.boxes.size(), 1u) << "no end-of-file message after a failed move";
    EXPECT_EQ(question(), "Întrebarea 0");
    EXPECT_EQ(w->DBMemo3->toPlainText(), "b de altul");
    EXPECT_EQ(folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Întrebarea 0");
    EXPECT_FALSE(w->DBEdit1->isVisible());
}

TEST_F(LearningWindow, EveryControlIsReachableByKeyboardAndNamed)
{
    start(2);
    const std::vector<QWidget*> order = {
        w->Inapoi,          w->Terminat, w->DBMemo3, w->DBMemo2, w->BitBtnPrimaFis, w->BitbtnInainte, w->BitBtnInapoi,
        w->BitBtnUltimaFis, w->DBImage1, w->DBMemo4, w->DBMemo1, w->bitbtnVerific,  w->DBEdit1};
    // The next control Tab reaches: the focus chain without the controls Tab skips.
    auto nextByTab = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextByTab(order[i]), order[i + 1]) << order[i]->objectName().toStdString();
    const std::pair<QPushButton*, const char*> names[] = {{w->BitBtnPrimaFis, "Prima întrebare"},
                                                          {w->BitBtnInapoi, "Întrebarea anterioară"},
                                                          {w->BitbtnInainte, "Întrebarea următoare"},
                                                          {w->BitBtnUltimaFis, "Ultima întrebare"}};
    for (const auto& [button, name] : names) {
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(name));
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(name));
        EXPECT_FALSE(button->icon().isNull());
    }
}

}  // namespace
