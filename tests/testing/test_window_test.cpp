#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <functional>
#include <random>
#include <set>

#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "startup/start_up.h"
#include "store/views/db_memo.h"
#include "testing/frm_colreg_proc.h"
#include "testing/question_draw.h"
#include "testing/test_session.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixed_draw.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

using namespace selftest;

namespace {

using fixture::FixedDraw;

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kLeaving = QString::fromUtf8(" Apasă Ok! Ai răbdare! Fac ordine pe punte și în arboradă = FISIERE");

class TestWindow : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void start(std::vector<fixture::Question> questions, int leftoverRows = 0, bool withDatabase = true)
    {
        if (withDatabase)
            folder.writeDatabase(questions, leftoverRows);
        kit().resetEndRequest();
        build(folder.path());
        kit().showWindow(frmMain);
        w = frmColreg_Proc;
        w->Timer2->stop();  // ticks are driven by hand here
        // Nothing of the machine comes in: a repeatable draw, a clock at 14:05:09 and our users'
        // regional settings, whatever the machine's locale.
        w->session().setGenerator(std::make_unique<FixedDraw>(20261210));
        w->session().setTimeSource([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 9)); });
        w->session().setRegionalSettings(QLocale(QLocale::Romanian, QLocale::Romania));
        frmMain->bitbtnOK->click();
        frmAlege->estarecapreciereprocentual1->trigger();
        recorder.boxes.clear();
    }
    void TearDown() override { destroy(); }

    const TestState& state() const { return w->session().state(); }
    std::string current(const char* field) { return frmMain->data.tblTest.FieldByName(field).AsString(); }
    void choose(const std::string& letter)
    {
        if (letter == "A")
            w->rdbtnA->setChecked(true);
        else if (letter == "B")
            w->rdbtnB->setChecked(true);
        else if (letter == "C")
            w->rdbtnC->setChecked(true);
    }
    std::vector<QString> texts() const
    {
        std::vector<QString> all;
        for (const auto& b : recorder.boxes)
            all.push_back(b.text);
        return all;
    }
    // The texts of the boxes shown, for a failure's message.
    std::string shownBoxes() const
    {
        QStringList all;
        for (const auto& b : recorder.boxes)
            all.push_back(b.text);
        return all.join(QStringLiteral(" | ")).toStdString();
    }
    // Every display of the counts and the questions remaining, and the choice made.
    std::vector<QString> displays() const
    {
        std::vector<QString> all;
        for (QLineEdit* e : {w->edtNrInt, w->edtRi, w->EdtRc, w->edtRp, w->edtRc1, w->edtRcRi, w->edtNota})
            all.push_back(e->text());
        all.push_back(w->rdbtnA->isChecked() ? "a" : w->rdbtnB->isChecked() ? "b" : w->rdbtnC->isChecked() ? "c" : "-");
        all.push_back(w->Button1->isVisible() ? "Nota" : "");
        return all;
    }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
    TfrmColreg_Proc* w = nullptr;
};

TEST_F(TestWindow, IdleLookAtCreation)
{
    start(fixture::sampleQuestions(274));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(frmAlege->isVisible());
    EXPECT_TRUE(w->btnStart->isEnabled());
    EXPECT_FALSE(w->Button1->isVisible());
    EXPECT_FALSE(w->edtNota->isVisible());
    EXPECT_EQ(w->edtNota->text(), "  ?!");
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{w->BitBtnVerifSus, w->BitBtnVerifJos, w->lblRb, w->Edit1, w->lblRR, w->Edit2})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_FALSE(w->rdbtnA->isChecked() || w->rdbtnB->isChecked() || w->rdbtnC->isChecked());
    EXPECT_EQ(w->Timer2->interval(), 2000);
    EXPECT_EQ(w->BitBtnVerifSus->accessibleName(), text("Întrebarea anterioară"));
    EXPECT_EQ(w->BitBtnVerifJos->accessibleName(), text("Întrebarea următoare"));
    EXPECT_EQ(w->BitBtnVerifJos->toolTip(), text("Întrebarea următoare"));
    EXPECT_FALSE(w->dbMIntreb->accessibleName().isEmpty());
}

// The typical self-test, from the menu to the menu: Start, 30 answers with a known mix, Nota, review,
// Înapoi, with the boxes in order and the displays after each step.
TEST_F(TestWindow, TypicalSelfTestFromMenuToMenu)
{
    start(fixture::sampleQuestions(274));

    // Start: the notice first, the displays only after it.
    QString rc1WhileNotice = "unset";
    recorder.whileOpen = [&](const BoxRecorder::Box& b) {
        if (b.caption == "Colreg" && b.text.startsWith(text(" Apasă Ok! Ai răbdare! Din")))
            rc1WhileNotice = w->edtRc1->text();
    };
    w->btnStart->click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].kind, BoxRecorder::Kind::Message);
    EXPECT_EQ(recorder.boxes[0].owner, w);
    EXPECT_EQ(recorder.boxes[0].text,
              text(" Apasă Ok! Ai răbdare! Din cele 275 de întrebări, selectez aleator 30 de întrebări distincte   "
                   "1.10502675144E+40   Tarvenic vă urează: SUCCES!"));
    EXPECT_EQ(rc1WhileNotice, "");
    EXPECT_FALSE(w->btnStart->isEnabled());
    for (QLineEdit* e : {w->edtRc1, w->edtRcRi, w->edtRi, w->EdtRc, w->edtRp})
        EXPECT_EQ(e->text(), "0");
    EXPECT_EQ(w->edtNrInt->text(), "") << "kept until the first Confirm";
    EXPECT_EQ(w->PanTime->text(), "14:05:09");
    EXPECT_EQ(state().ir, 30);

    // The copy: 30 records in draw order, "?" given, positioned on the first; the bank on the last copied.
    EXPECT_EQ(folder.count("ManInt"), 30);
    const auto numbers = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(numbers[i], std::to_string(state().numere[i + 1]));
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 30u);
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = '?'")[0], "30");
    EXPECT_EQ(current("Nr_Intreb"), numbers[0]);
    EXPECT_EQ(w->dbMIntreb->toPlainText().toStdString(), "Întrebarea " + numbers[0]);
    EXPECT_EQ(frmMain->data.tblIntrebari.FieldByName("Nr_Intreb").AsString(), numbers[29]);

    // 30 answers: every third one wrong, the 10th left without a choice.
    recorder.boxes.clear();
    std::vector<QString> nrIntWhileJudged;
    recorder.whileOpen = [&](const BoxRecorder::Box& b) {
        if (b.kind == BoxRecorder::Kind::Notice)
            nrIntWhileJudged.push_back(w->edtNrInt->text());
    };
    std::vector<QString> expectedBoxes;
    int correct = 0, wrong = 0;
    for (int i = 1; i <= 30; ++i) {
        const std::string rb = current("Rb");
        const bool answerRight = i % 3 != 0 && i != 10;
        if (i != 10)
            choose(answerRight ? rb : (rb == "A" ? "B" : "A"));
        w->bitbtnUrmat->click();
        answerRight ? ++correct : ++wrong;
        expectedBoxes.push_back(answerRight ? text("Răspuns BUN. Bravo!") : text("Răspuns ERONAT. Învață!"));
        EXPECT_EQ(w->EdtRc->text(), correct ? QString::number(correct) : "0") << i;
        EXPECT_EQ(w->edtRi->text(), wrong ? QString::number(wrong) : "0") << i;
        EXPECT_EQ(w->edtRcRi->text(), QString::number(i));
        EXPECT_EQ(w->edtNrInt->text(), QString::number(30 - i));
        EXPECT_FALSE(w->rdbtnA->isChecked() || w->rdbtnB->isChecked() || w->rdbtnC->isChecked());
        EXPECT_EQ(w->Button1->isVisible(), i >= 29) << i;
        if (i == 3) {
            EXPECT_EQ(w->edtRp->text(), "66,6666666666667") << "the decimal comma of our users' settings";
        }
        if (i == 29) {
            EXPECT_EQ(w->edtNota->text(), "  ?!");
        }
    }
    expectedBoxes.push_back(text("Deja ești la sfârșitul fișierului!"));
    EXPECT_EQ(texts(), expectedBoxes);
    EXPECT_EQ(nrIntWhileJudged.front(), "30");
    EXPECT_EQ(nrIntWhileJudged.back(), "1");
    EXPECT_EQ(correct, 19);
    EXPECT_EQ(w->edtRp->text(), "63,3333333333333");
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = Rb")[0], "19");
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Rd = '?'")[0], "1");

    // A further Confirm at the end does nothing.
    recorder.boxes.clear();
    w->bitbtnUrmat->click();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(w->edtNrInt->text(), "0");

    // Nota: the grade of 19 correct answers, the counts zeroed.
    w->Button1->click();
    EXPECT_EQ(w->edtNota->text(), "5");
    EXPECT_EQ(state().Rc, 0);
    EXPECT_EQ(state().Ri, 0);
    EXPECT_EQ(w->EdtRc->text(), "19") << "the boxes keep their texts";

    // Review: the first question without a judgement, then each step judges the record reached.
    w->BitBtnVerificareTestare->click();
    EXPECT_FALSE(w->Panel1->isVisible() || w->Panel2->isVisible() || w->Panel3->isVisible());
    EXPECT_TRUE(w->BitBtnVerifSus->isVisible() && w->Edit1->isVisible() && w->lblRR->isVisible());
    EXPECT_EQ(w->Edit1->text(), "");
    recorder.boxes.clear();
    QString edit1WhileOpen = "unset";
    recorder.whileOpen = [&](const BoxRecorder::Box&) { edit1WhileOpen = w->Edit1->text(); };
    w->BitBtnVerifSus->click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, text("Ești la începutul fișierului!"));
    EXPECT_EQ(recorder.boxes[0].caption, "Colreg");
    EXPECT_EQ(w->Edit1->text(), "");
    for (int record = 2; record <= 30; ++record) {
        recorder.boxes.clear();
        w->BitBtnVerifJos->click();
        ASSERT_EQ(recorder.boxes.size(), 1u);
        const bool right = record % 3 != 0 && record != 10;
        EXPECT_EQ(recorder.boxes[0].text, right ? text("Răspuns BUN. Bravo!") : text("Răspuns ERONAT. Invață!"));
        EXPECT_EQ(edit1WhileOpen, "") << "both letters are empty while the notice is open";
        EXPECT_EQ(w->Edit1->text().toStdString(), current("Rb"));
        EXPECT_EQ(w->Edit2->text().toStdString(), record == 10 ? "?" : current("Rd"));
    }
    recorder.boxes.clear();
    w->BitBtnVerifJos->click();
    EXPECT_EQ(texts(), std::vector<QString>{text("Deja ești la sfârșitul fișierului!")});
    EXPECT_EQ(w->Edit2->text(), "");
    recorder.whileOpen = nullptr;

    // Înapoi: the notice, the scratch table emptied, the idle look, back to the menu.
    recorder.boxes.clear();
    w->Inapoi->click();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].caption, "Colreg");
    EXPECT_EQ(recorder.boxes[0].text, text(" Apasă Ok! Ai răbdare! Fac ordine pe punte și în arboradă = FISIERE"));
    EXPECT_EQ(folder.count("ManInt"), 0);
    EXPECT_EQ(state().RecMax, 30);
    EXPECT_TRUE(w->btnStart->isEnabled());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(frmAlege->isVisible());
    frmAlege->estarecapreciereprocentual1->trigger();
    EXPECT_TRUE(w->Panel1->isVisible() && w->Panel2->isVisible() && w->Panel3->isVisible());
    EXPECT_TRUE(w->Button1->isVisible()) << "stays visible for the rest of the run";
    EXPECT_EQ(w->dbMIntreb->toPlainText(), "");
}

TEST_F(TestWindow, NotaBeforeTheLastAnswerAndTwiceInARow)
{
    start(fixture::sampleQuestions(274));
    w->btnStart->click();
    for (int i = 1; i <= 29; ++i) {
        choose(current("Rb"));
        w->bitbtnUrmat->click();
    }
    w->Button1->click();
    EXPECT_EQ(w->edtNota->text(), "10");
    w->Button1->click();
    EXPECT_EQ(w->edtNota->text(), "4") << "the first press set the counts to 0";
    choose(current("Rb"));
    w->bitbtnUrmat->click();
    EXPECT_EQ(w->EdtRc->text(), "1");
    EXPECT_EQ(w->edtRp->text(), "100");
    EXPECT_EQ(w->edtRcRi->text(), "1");
}

// Opened from the results window the test is a practice test, said in its title, until it is left;
// opened from the menu it is the ordinary test.
TEST_F(TestWindow, APracticeTestFromShowPracticeUntilTheWindowIsLeft)
{
    start(fixture::sampleQuestions(274));
    const QString ordinaryTitle = w->windowTitle();
    // An ordinary test with its first three answers wrong, graded and left.
    w->btnStart->click();
    std::vector<std::string> wrong;
    for (int i = 1; i <= 30; ++i) {
        if (i <= 3) {
            wrong.push_back(current("Nr_Intreb"));
            choose(current("Rb") == "A" ? "B" : "A");
        } else {
            choose(current("Rb"));
        }
        w->bitbtnUrmat->click();
    }
    w->Button1->click();
    EXPECT_EQ(w->edtNota->text(), "9");
    w->Inapoi->click();
    EXPECT_EQ(folder.column("SELECT Corecte || '/' || Gresite FROM Rezultate"), std::vector<std::string>{"27/3"});

    w->showPractice();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->windowTitle().startsWith(text("Exersarea greșelilor"))) << w->windowTitle().toStdString();
    w->btnStart->click();
    const auto copied = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(copied.size(), 30u);
    EXPECT_EQ(std::set<std::string>(copied.begin(), copied.begin() + 3),
              std::set<std::string>(wrong.begin(), wrong.end()))
        << "the mistakes come first";
    for (int i = 1; i <= 30; ++i) {
        choose(current("Rb"));
        w->bitbtnUrmat->click();
    }
    w->Button1->click();
    EXPECT_EQ(w->edtNota->text(), "10");
    EXPECT_EQ(folder.column("SELECT Exersare FROM Rezultate ORDER BY Id"), (std::vector<std::string>{"0", "1"}));

    w->Inapoi->click();
    EXPECT_EQ(w->windowTitle(), ordinaryTitle);
    frmAlege->estarecapreciereprocentual1->trigger();
    EXPECT_FALSE(w->session().practice()) << "the menu opens the ordinary test";
    EXPECT_EQ(w->windowTitle(), ordinaryTitle);
}

// The grade shows first; a record the file does not take is reported after it, and the test stays.
TEST_F(TestWindow, ANotaWhoseRecordFailsShowsTheGradeThenTheError)
{
    start(fixture::sampleQuestions(274));
    w->btnStart->click();
    for (int i = 1; i <= 30; ++i) {
        choose(current("Rb"));
        w->bitbtnUrmat->click();
    }
    recorder.boxes.clear();
    fixture::FileConnection other(folder.databasePath());
    other.exec("BEGIN IMMEDIATE");
    QString gradeWhileError = "unset";
    recorder.whileOpen = [&](const BoxRecorder::Box& b) {
        if (b.kind == BoxRecorder::Kind::Error)
            gradeWhileError = w->edtNota->text();
    };
    w->Button1->click();
    other.exec("ROLLBACK");
    EXPECT_EQ(gradeWhileError, "10");
    ASSERT_EQ(recorder.errors().size(), 1u) << shownBoxes();
    EXPECT_TRUE(recorder.errors()[0].startsWith(text("Rezultatul testului nu a fost înregistrat. "))) << shownBoxes();
    EXPECT_EQ(folder.count("ManInt"), 30) << "the test is there for its review";
    EXPECT_EQ(state().Rc + state().Ri, 0);
}

TEST_F(TestWindow, ConfirmWithAnEmptyTableDoesNothing)
{
    start(fixture::sampleQuestions(274));
    w->bitbtnUrmat->click();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(w->edtNrInt->text(), "");
    w->BitBtnVerificareTestare->click();
    w->BitBtnVerifSus->click();
    w->BitBtnVerifJos->click();
    EXPECT_EQ(texts(), (std::vector<QString>{text("Ești la începutul fișierului!"),
                                             text("Deja ești la sfârșitul fișierului!")}));
    recorder.boxes.clear();
    w->Inapoi->click();  // before any Start: the notice, nothing to delete, the idle look
    EXPECT_EQ(recorder.boxes.size(), 1u);
    EXPECT_TRUE(w->Panel3->isHidden() == false && w->btnStart->isEnabled());
}

// Rows an abnormal end left behind go with Start's copy: the test holds exactly its own questions.
TEST_F(TestWindow, StartEmptiesLeftoverRowsThenTerminatEmptiesTheTest)
{
    start(fixture::sampleQuestions(274), 30);
    EXPECT_EQ(w->dbMIntreb->toPlainText(), "Vechi 0") << "the window shows the old rows as the last run left them";
    w->btnStart->click();
    const auto numbers = folder.column("SELECT Nr_Intreb FROM ManInt ORDER BY Id");
    ASSERT_EQ(numbers.size(), 30u);
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 30u);
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt WHERE Intrebare LIKE 'Vechi%'")[0], "0");
    EXPECT_EQ(current("Nr_Intreb"), numbers[0]) << "Start leaves the cursor on the first new record";
    EXPECT_EQ(w->dbMIntreb->toPlainText().toStdString(), "Întrebarea " + numbers[0]);
    w->Terminat->click();
    ASSERT_EQ(recorder.boxes.size(), 2u);
    EXPECT_EQ(recorder.boxes[1].caption, "RColreg");
    EXPECT_EQ(recorder.boxes[1].text, text(" Apasă Ok! Ai răbdare! Fac ordine pe punte și în arboradă = FISIERE"))
        << "the same text as the notice of Înapoi";
    EXPECT_EQ(folder.count("ManInt"), 0);
    EXPECT_TRUE(kit().endRequested());
}

// A Start that fails part-way leaves no half-started test: the scratch table as it was (old rows
// included), the displays and the state as before, "Start" enabled, and "Confirm" judges nothing new.
TEST_F(TestWindow, AFailedStartChangesNothingAndCanBeTriedAgain)
{
    struct Case {
        const char* what;
        int leftoverRows;
        const char* trigger;  // makes a write of the copy fail
        const char* error;
    };
    const Case cases[] = {
        {"the first copied row", 0,
         "CREATE TRIGGER fail BEFORE INSERT ON ManInt BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END",
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: database or disk is full)"},
        {"the 17th copied row, after the old rows went", 5,
         "CREATE TRIGGER fail BEFORE INSERT ON ManInt WHEN (SELECT count(*) FROM ManInt) >= 16 "
         "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END",
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: database or disk is full)"},
        {"the emptying of the old rows", 5,
         "CREATE TRIGGER fail BEFORE DELETE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END",
         "tblTest: Înregistrarea nu a putut fi ștearsă. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk I/O error)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(QString::fromStdString(folder.databasePath()));
        start(fixture::sampleQuestions(274), c.leftoverRows);
        // The old rows answered before Start, as the window offers them: one right, one wrong.
        for (const char* letter : {"A", "B"}) {
            if (c.leftoverRows > 0) {
                choose(letter);
                w->bitbtnUrmat->click();
            }
        }
        folder.exec(c.trigger);
        const auto rowsBefore = folder.column("SELECT Id || Intrebare || Rd FROM ManInt ORDER BY Id");
        const QString shownBefore = w->dbMIntreb->toPlainText();
        w->edtRp->setText("66.6666666666667");  // a display left by an earlier test
        const std::vector<QString> displaysBefore = displays();
        const TestState stateBefore = state();
        recorder.boxes.clear();
        w->btnStart->click();
        EXPECT_EQ(recorder.errors(), std::vector<QString>{text(c.error)});
        EXPECT_EQ(folder.column("SELECT Id || Intrebare || Rd FROM ManInt ORDER BY Id"), rowsBefore);
        EXPECT_TRUE(w->btnStart->isEnabled());
        EXPECT_EQ(displays(), displaysBefore);
        EXPECT_EQ(w->dbMIntreb->toPlainText(), shownBefore);
        EXPECT_TRUE(state() == stateBefore) << "counts, remaining questions and drawn numbers as before";
        EXPECT_EQ(frmMain->data.tblTest.RecordCount(), c.leftoverRows) << "the cursor holds what the file holds";

        if (c.leftoverRows == 0) {
            recorder.boxes.clear();
            w->bitbtnUrmat->click();
            EXPECT_TRUE(recorder.boxes.empty()) << "nothing to judge";
            EXPECT_TRUE(state() == stateBefore);
        }

        // Once the fault is gone, Start works as usual.
        folder.exec("DROP TRIGGER fail");
        recorder.boxes.clear();
        w->btnStart->click();
        EXPECT_TRUE(recorder.errors().empty());
        EXPECT_EQ(folder.count("ManInt"), 30);
        EXPECT_FALSE(w->btnStart->isEnabled());
        EXPECT_EQ(state().Rc, 0);
        destroy();
    }
}

// A letter the file does not take is neither judged nor counted: no judgement, only the error box; the
// displays, the choice, the question shown and the counts stay as they were before "Confirm". Once the
// file takes it, "Confirm" counts the question once.
TEST_F(TestWindow, AnAnswerThatCannotBeStoredChangesNothingAndCountsOnceWhenTriedAgain)
{
    struct Case {
        const char* what;
        const char* fault;
        const char* mend;
        const char* error;  // begins so
    };
    const Case cases[] = {
        {"a full disk",
         "CREATE TRIGGER fail BEFORE UPDATE ON ManInt BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END",
         "DROP TRIGGER fail",
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: database or disk is full)"},
        {"a failing disk",
         "CREATE TRIGGER fail BEFORE UPDATE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END",
         "DROP TRIGGER fail",
         "tblTest: Înregistrarea nu a putut fi salvată. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk I/O error)"},
        {"the test's rows deleted by another program", "CREATE TABLE Kept AS SELECT * FROM ManInt; DELETE FROM ManInt",
         "INSERT INTO ManInt SELECT * FROM Kept", "Întrebarea nr. "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(QString::fromStdString(folder.databasePath()));
        start(fixture::sampleQuestions(274));
        w->btnStart->click();
        for (int i = 1; i <= 2; ++i) {
            choose(current("Rb"));
            w->bitbtnUrmat->click();
        }
        const std::string number = current("Nr_Intreb");
        const std::string right = current("Rb");
        const QString shown = w->dbMIntreb->toPlainText();

        folder.exec(c.fault);
        choose(right);
        const std::vector<QString> displaysBefore = displays();
        const TestState stateBefore = state();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            SCOPED_TRACE(attempt);
            recorder.boxes.clear();
            w->bitbtnUrmat->click();
            ASSERT_EQ(recorder.boxes.size(), 1u) << "no judgement, no end notice: " << shownBoxes();
            EXPECT_EQ(recorder.boxes[0].kind, BoxRecorder::Kind::Error);
            EXPECT_TRUE(recorder.boxes[0].text.startsWith(text(c.error))) << recorder.boxes[0].text.toStdString();
            EXPECT_EQ(displays(), displaysBefore) << "the choice stays made for the next try";
            EXPECT_TRUE(state() == stateBefore);
            EXPECT_EQ(current("Nr_Intreb"), number);
            EXPECT_EQ(w->dbMIntreb->toPlainText(), shown);
        }

        folder.exec(c.mend);
        recorder.boxes.clear();
        w->bitbtnUrmat->click();
        EXPECT_EQ(texts(), std::vector<QString>{text("Răspuns BUN. Bravo!")});
        EXPECT_EQ(w->EdtRc->text(), "3") << "counted once";
        EXPECT_EQ(w->edtRcRi->text(), "3");
        EXPECT_EQ(w->edtNrInt->text(), "27");
        EXPECT_EQ(folder.column("SELECT Rd FROM ManInt WHERE Nr_Intreb = " + number)[0], right);
        EXPECT_NE(current("Nr_Intreb"), number) << "on to the next question";
        destroy();
    }
}

// A question whose picture cannot be shown is still answered once: its letter stored and counted, the
// next question reached, and the failure reported after the answer.
TEST_F(TestWindow, AQuestionWhosePictureCannotBeShownIsAnsweredOnce)
{
    folder.writeDatabase(fixture::sampleQuestions(274), 3);
    folder.exec("UPDATE ManInt SET Poza = CAST('nu este o poză' AS BLOB)");
    start({}, 0, false);
    const auto ids = folder.column("SELECT Id FROM ManInt ORDER BY Id");
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(current("Id"), ids[row]);
        recorder.boxes.clear();
        choose("A");
        w->bitbtnUrmat->click();
        EXPECT_EQ(texts(), (std::vector<QString>{text("Răspuns BUN. Bravo!"), text("Bitmap image is not valid.")}));
        EXPECT_EQ(w->edtRcRi->text(), QString::number(row + 1)) << "each question counted once";
        EXPECT_EQ(folder.column("SELECT Rd FROM ManInt WHERE Id = " + ids[row])[0], "A");
        EXPECT_EQ(current("Id"), ids[row + 1]) << "moved on";
    }
}

TEST_F(TestWindow, StartWithTheBankClosedReportsAndLeavesTheWindowAsItWas)
{
    start({}, 0, false);  // no database: every cursor stays closed
    const std::vector<QString> displaysBefore = displays();
    w->btnStart->click();
    const auto errors = recorder.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Fișierul bazei de date '"))) << errors[0].toStdString();
    EXPECT_TRUE(state() == selftest::TestState{});
    EXPECT_TRUE(w->btnStart->isEnabled());
    EXPECT_EQ(displays(), displaysBefore);
}

// "Înapoi" and "Terminat" are the ways out of the test: each leaves whatever its tidying meets, empties
// what the file lets it, and says in the error box, after the leaving notice, what it could not do.
TEST_F(TestWindow, InapoiAndTerminatLeaveWhateverTheTidyingMeets)
{
    struct Case {
        const char* what;
        bool withDatabase;
        std::function<void(fixture::Folder&, TfrmColreg_Proc*)> make;  // after Start
        const char* error;                                             // begins so
        int rowsLeft;
    };
    const Case cases[] = {
        {"the bank could not be opened", false, nullptr, "tblTest: Cannot perform this operation on a closed dataset.",
         -1},
        {"a question's text typed into, then its row deleted by another program", true,
         [](fixture::Folder& f, TfrmColreg_Proc* window) {
             QTest::keyClicks(window->dbMIntreb, "x");
             f.exec("DELETE FROM ManInt WHERE Id = (SELECT min(Id) FROM ManInt)");
         },
         "Întrebarea nr. ", 0},
        {"a file that takes no deletion", true,
         [](fixture::Folder& f, TfrmColreg_Proc*) {
             f.exec("CREATE TRIGGER fail BEFORE DELETE ON ManInt BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
         },
         "tblTest: Înregistrarea nu a putut fi ștearsă. Încercați din nou; dacă se repetă, porniți din nou programul. "
         "(detalii: disk I/O error)",
         30},
    };
    for (const bool terminat : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (terminat ? ", Terminat" : ", Înapoi"));
            QFile::remove(QString::fromStdString(folder.databasePath()));
            start(fixture::sampleQuestions(274), 0, c.withDatabase);
            w->btnStart->click();
            w->BitBtnVerificareTestare->click();  // the panels hidden, as in review
            if (c.make)
                c.make(folder, w);
            recorder.boxes.clear();
            (terminat ? w->Terminat : w->Inapoi)->click();
            ASSERT_EQ(recorder.boxes.size(), 2u) << shownBoxes();
            EXPECT_EQ(recorder.boxes[0].caption, terminat ? "RColreg" : "Colreg");
            EXPECT_EQ(recorder.boxes[0].text, kLeaving);
            EXPECT_EQ(recorder.boxes[1].kind, BoxRecorder::Kind::Error);
            EXPECT_TRUE(recorder.boxes[1].text.startsWith(text(c.error))) << recorder.boxes[1].text.toStdString();
            if (terminat) {
                EXPECT_TRUE(kit().endRequested()) << "the program ends";
            } else {
                EXPECT_FALSE(w->isVisible());
                EXPECT_TRUE(frmAlege->isVisible()) << "back at the menu";
            }
            EXPECT_TRUE(w->btnStart->isEnabled());
            EXPECT_FALSE(w->Panel1->isHidden() || w->Panel2->isHidden() || w->Panel3->isHidden());
            if (c.rowsLeft >= 0) {
                EXPECT_EQ(folder.count("ManInt"), c.rowsLeft);
            }
            destroy();
        }
    }
}

// Each pass of the emptying moves on one record and deletes the one it stands on; "Terminat" walks the
// table in the order of the question numbers, "Înapoi" in the file's order.
TEST_F(TestWindow, LeavingDeletesInTheOrderOfItsButton)
{
    for (const bool terminat : {false, true}) {
        SCOPED_TRACE(terminat ? "Terminat" : "Înapoi");
        QFile::remove(QString::fromStdString(folder.databasePath()));
        folder.writeDatabase(fixture::sampleQuestions(274));
        // Rows an earlier run left, numbered 40 10 50 20 30 in the file's order.
        folder.exec(
            "INSERT INTO ManInt(Nr_Intreb, Rb, Rd) VALUES (40, 'A', '?'), (10, 'A', '?'), (50, 'A', '?'), (20, 'A', "
            "'?'), (30, 'A', '?'); CREATE TABLE Deleted(Nr_Intreb); CREATE TRIGGER logged AFTER DELETE ON ManInt "
            "BEGIN INSERT INTO Deleted VALUES (old.Nr_Intreb); END");
        start({}, 0, false);
        (terminat ? w->Terminat : w->Inapoi)->click();
        EXPECT_TRUE(recorder.errors().empty());
        EXPECT_EQ(state().RecMax, 5);
        const std::vector<std::string> inNumberOrder{"20", "40", "50", "30", "10"};
        const std::vector<std::string> inFileOrder{"10", "20", "30", "50", "40"};
        EXPECT_EQ(folder.column("SELECT Nr_Intreb FROM Deleted ORDER BY rowid"),
                  terminat ? inNumberOrder : inFileOrder);
        destroy();
    }
}

TEST_F(TestWindow, ABankWithGapsStillGivesThirtyDistinctQuestions)
{
    auto questions = fixture::sampleQuestions(274);
    std::vector<fixture::Question> sparse;
    for (const auto& q : questions)
        if (q.number % 4 != 1)
            sparse.push_back(q);
    start(sparse);
    w->btnStart->click();
    const auto numbers = folder.column("SELECT Nr_Intreb FROM ManInt");
    ASSERT_EQ(numbers.size(), 30u);
    EXPECT_EQ(std::set<std::string>(numbers.begin(), numbers.end()).size(), 30u);
    for (const auto& n : numbers)
        EXPECT_NE(std::stoi(n) % 4, 1) << n;
    EXPECT_EQ(folder.column("SELECT count(*) FROM ManInt m JOIN Intrebari q USING (Nr_Intreb) WHERE "
                            "m.Intrebare = q.Intrebare")[0],
              "30");
}

TEST_F(TestWindow, ABankTooSmallForATestSaysSoAndAppendsNothing)
{
    start(fixture::sampleQuestions(29));
    w->btnStart->click();
    const auto errors = recorder.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], text("Banca de întrebări are numai 29 de întrebări numerotate de la 0 la 273; un test are "
                              "nevoie de 30."));
    EXPECT_EQ(folder.count("ManInt"), 0);
}

// Undecodable pictures in the bank: the copy still completes, and the failure is reported once when
// the views show the first copied question.
TEST_F(TestWindow, InvalidPicturesInTheBankAreReportedOnceAfterTheCopy)
{
    auto questions = fixture::sampleQuestions(274);
    for (auto& q : questions)
        q.picture = "not a bitmap";
    start(questions);
    w->btnStart->click();
    EXPECT_EQ(recorder.errors(), std::vector<QString>{"Bitmap image is not valid."});
    EXPECT_EQ(folder.count("ManInt"), 30);
    EXPECT_EQ(current("Rd"), "?");
}

TEST_F(TestWindow, ClockShowsTimeAndCountdownFromItsTicks)
{
    start(fixture::sampleQuestions(274));
    EXPECT_EQ(w->PanTime->text(), "");
    EXPECT_EQ(w->PanTime1->text(), "");
    ASSERT_EQ(state().K3, 0) << "no tick since the window was made";
    w->btnStart->click();
    const std::pair<int, const char*> marks[] = {
        {1, "30 min"}, {29, "30 min"}, {30, "29 min"}, {900, "0 min"}, {930, "-1 min"}};
    int ticks = 0;
    for (const auto& [tick, shown] : marks) {
        while (ticks < tick) {
            w->Timer2Timer();
            ++ticks;
        }
        EXPECT_EQ(w->PanTime1->text(), shown) << tick;
    }
    EXPECT_EQ(state().k1, -1);
    EXPECT_EQ(w->PanTime->text(), "14:05:09");
    EXPECT_EQ(w->PanTime->text(), state().str);
}

// The real box runs its own event loop: the clock goes on behind it. The ticks are timer events of the
// window's clock put in the queue by the test, so the count depends on nothing but the event loop that
// delivers them, which is the box's. Each tick is posted once the one before was delivered: Qt on
// Windows folds a timer event into one of the same timer still waiting in the queue.
TEST_F(TestWindow, ClockTicksBehindAnOpenBox)
{
    start(fixture::sampleQuestions(274));
    ASSERT_EQ(state().K3, 0);
    w->Timer2->start(3'600'000);  // running, but never due by itself here
    constexpr int kTicks = 7;
    int ticksWhileOpen = -1;
    QString shownWhileOpen;
    // Posts the ticks one by one, then closes the box once they were delivered.
    std::function<void(int, int)> step = [&](int ticksLeft, int tries) {
        if (ticksLeft > 0) {
            QCoreApplication::postEvent(w->Timer2, new QTimerEvent(w->Timer2->timerId()));
            QMetaObject::invokeMethod(
                w, [&step, ticksLeft, tries] { step(ticksLeft - 1, tries); }, Qt::QueuedConnection);
            return;
        }
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                ticksWhileOpen = state().K3;
                shownWhileOpen = w->PanTime1->text();
                box->accept();
                return;
            }
        if (tries > 0)
            QMetaObject::invokeMethod(
                w, [&step, tries] { step(0, tries - 1); }, Qt::QueuedConnection);
    };
    // Queued now, so that only the box's own event loop can run the ticks.
    QMetaObject::invokeMethod(
        w, [&step] { step(kTicks, 1000); }, Qt::QueuedConnection);
    app::QtBoxes real;
    real.message(w, "Colreg", "deschis");
    EXPECT_EQ(ticksWhileOpen, kTicks) << "each tick delivered while the box was open";
    EXPECT_EQ(shownWhileOpen, "30 min");
    EXPECT_EQ(w->PanTime->text(), "14:05:09");
}

}  // namespace
