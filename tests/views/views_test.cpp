#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <QTextBlock>

#include <algorithm>

#include "store/connection.h"
#include "store/data_source.h"
#include "store/error.h"
#include "store/picture.h"
#include "store/table_cursor.h"
#include "store/views/db_edit.h"
#include "store/views/db_image.h"
#include "store/views/db_memo.h"
#include "store/views/picture_placement.h"
#include "store/views/picture_scaling.h"
#include "tests/support/fixture_db.h"

namespace {

std::string bmp(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QByteArray bytes = store::encodeBmp(image);
    return bytes.toStdString();
}

// The bank cursor and its data source, as the welcome window holds them, over a fixture file.
struct Bank {
    explicit Bank(std::vector<fixture::Question> questions)
    {
        folder.writeDatabase(questions);
        connection.setFile(store::bankFileIn(folder.path()));
        cursor.setConnection(&connection);
    }
    explicit Bank(int count) : Bank(fixture::sampleQuestions(count)) {}
    void reopen()
    {
        cursor.Close();
        cursor.Open();
    }
    fixture::Folder folder;
    store::Connection connection;
    store::TableCursor cursor{"tblIntrebari", "Intrebari"};
    store::DataSource source{"dsIntrebari", cursor};
};

// Types text as the keyboard would, diacritics included (QTest's own typing knows only ASCII).
void type(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

std::string shown(const store::DBMemo& m)
{
    return m.toPlainText().toStdString();
}

TEST(Views, FollowTheCursorThroughEveryKindOfMoveInBothWindows)
{
    Bank bank(4);
    QWidget learningWindow, testWindow;
    store::DBMemo inLearning(&learningWindow), inTest(&testWindow);
    store::DBEdit letter(&learningWindow);
    inLearning.bind(bank.source, "Intrebare");
    inTest.bind(bank.source, "Intrebare");
    letter.bind(bank.source, "Rb");
    EXPECT_EQ(shown(inLearning), "") << "nothing before the cursor opens";

    auto expectBoth = [&](const std::string& text, const char* after) {
        EXPECT_EQ(shown(inLearning), text) << after;
        EXPECT_EQ(shown(inTest), text) << after;
    };
    bank.cursor.Open();
    expectBoth("Întrebarea 0", "Open");
    EXPECT_EQ(letter.text(), "A");
    bank.cursor.Next();
    expectBoth("Întrebarea 1", "Next");
    EXPECT_EQ(letter.text(), "B");
    bank.cursor.Last();
    expectBoth("Întrebarea 3", "Last");
    bank.cursor.Next();
    bank.cursor.Next();
    expectBoth("Întrebarea 3", "Next twice past the end");
    bank.cursor.Prior();
    expectBoth("Întrebarea 2", "Prior");
    bank.cursor.First();
    expectBoth("Întrebarea 0", "First");
    bank.cursor.Locate("Nr_Intreb", 2);
    expectBoth("Întrebarea 2", "Locate");
    bank.cursor.Edit();
    bank.cursor.FieldByName("Intrebare").setAsString("atribuit");
    expectBoth("atribuit", "field assigned");
    bank.cursor.Post();
    expectBoth("atribuit", "Post");
    bank.cursor.Append();
    expectBoth("", "Append");
    bank.cursor.FieldByName("Intrebare").setAsString("nouă");
    bank.cursor.Post();
    expectBoth("nouă", "Post of a new record");
    bank.cursor.Delete();
    expectBoth("Întrebarea 3", "Delete");
    bank.cursor.Close();
    expectBoth("", "Close");
}

TEST(Views, TypedTextReachesTheFileAtTheNextMoveAndSurvivesReopening)
{
    Bank bank(3);
    QWidget window;
    store::DBMemo question(&window);
    question.bind(bank.source, "Intrebare");
    bank.cursor.Open();

    question.moveCursor(QTextCursor::End);
    type(&question, QString::fromUtf8(" corectată"));
    EXPECT_EQ(bank.cursor.State(), store::CursorState::Edit) << "the first keystroke puts the record in edit state";
    EXPECT_EQ(bank.folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Întrebarea 0");
    bank.cursor.Next();
    EXPECT_EQ(bank.folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0], "Întrebarea 0 corectată");
    bank.reopen();
    EXPECT_EQ(shown(question), "Întrebarea 0 corectată");
}

// A text far longer than a view ever shows (a damaged or hand-edited file): a paragraph of a
// megabyte, one without any blank, short paragraphs, an empty one and a pair of halves of a
// surrogate pair at a piece boundary. The view lays it out in pieces, and what it writes back after
// an edit is the stored text plus the edit, not a character lost or added.
TEST(Views, AMegabyteTextIsShownWholeAndWrittenBackWhole)
{
    std::string huge;
    while (huge.size() < 1024 * 1024)
        huge += "abordaj în ceață ";
    std::string solid(3 * store::DBMemo::kLongParagraph, 'x');
    const std::string emoji = "\xF0\x9F\x9A\xA2";  // a ship, two UTF-16 units
    solid.replace(store::DBMemo::kLongParagraph - 1, emoji.size(), emoji);
    const std::string text = huge + "\n\nscurt\n" + solid + "\nsfârșit";

    std::vector<fixture::Question> questions = fixture::sampleQuestions(2);
    questions[0].text = text;
    Bank bank(questions);
    QWidget window;
    store::DBMemo question(&window);
    question.resize(400, 120);
    question.bind(bank.source, "Intrebare");
    bank.cursor.Open();
    EXPECT_GT(question.document()->blockCount(), 100) << "laid out in pieces";

    question.moveCursor(QTextCursor::End);
    type(&question, QStringLiteral("!"));
    bank.cursor.Next();
    EXPECT_TRUE(bank.folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0] == text + "!");

    // Enter typed inside a piece makes a paragraph of its own.
    bank.cursor.First();
    QTextCursor at(question.document()->findBlockByNumber(3));
    at.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 10);
    question.setTextCursor(at);
    // Blocks 1 to 3 continue block 0: their boundaries are no characters of the text.
    const int position = at.position() - 3;
    QTest::keyClick(&question, Qt::Key_Return);
    bank.cursor.Next();
    const std::string stored = bank.folder.column("SELECT Intrebare FROM Intrebari WHERE Nr_Intreb = 0")[0];
    EXPECT_EQ(stored.size(), text.size() + 2);
    EXPECT_EQ(QString::fromStdString(stored).at(position), QLatin1Char('\n'));
    EXPECT_TRUE(QString::fromStdString(stored).remove(position, 1) == QString::fromStdString(text + "!"));
}

TEST(Views, EscOrNothingTypedStoresNothing)
{
    Bank bank(3);
    QWidget window;
    store::DBMemo question(&window);
    question.bind(bank.source, "Intrebare");
    bank.cursor.Open();

    QTest::keyClicks(&question, "xyz");
    QTest::keyClick(&question, Qt::Key_Escape);
    EXPECT_EQ(shown(question), "Întrebarea 0");
    bank.cursor.Next();

    bank.cursor.Edit();
    bank.cursor.Next();
    const std::vector<std::string> expected = {"Întrebarea 0", "Întrebarea 1", "Întrebarea 2"};
    EXPECT_EQ(bank.folder.column("SELECT Intrebare FROM Intrebari ORDER BY rowid"), expected);
    EXPECT_EQ(bank.folder.column("SELECT total_changes()").size(), 1u);
}

TEST(Views, TypingOnAClosedCursorIsDroppedAndLetterViewKeepsToTheField)
{
    Bank bank(2);
    QWidget window;
    store::DBMemo question(&window);
    question.bind(bank.source, "Intrebare");
    QTest::keyClicks(&question, "abc");
    EXPECT_EQ(shown(question), "") << "a closed cursor cannot be edited";

    bank.cursor.Open();
    store::DBEdit letter(&window), number(&window);
    letter.bind(bank.source, "Rb");
    number.bind(bank.source, "Nr_Intreb");
    EXPECT_EQ(letter.maxLength(), 1);
    QTest::keyClicks(&number, "7x");
    EXPECT_EQ(number.text(), "07") << "a number field drops what is not a digit";
}

TEST(Views, BindingAFieldTheTableLacksReportsIt)
{
    Bank bank(2);
    bank.cursor.Open();
    QWidget window;
    store::DBMemo view(&window);
    try {
        view.bind(bank.source, "Raspuns");
        ADD_FAILURE() << "no error";
    } catch (const store::Error& e) {
        EXPECT_STREQ(e.what(), "tblIntrebari: Field 'Raspuns' not found");
    }
    EXPECT_NO_THROW(bank.cursor.Next()) << "reported once; the view then shows nothing";
    EXPECT_EQ(shown(view), "");
}

TEST(PicturePlacement, CentresByTruncatedHalfDifferences)
{
    struct Case {
        QSize inside, picture;
        QPoint origin;
    };
    const Case cases[] = {
        {{200, 100}, {40, 30}, {80, 35}},    {{201, 101}, {40, 30}, {80, 35}}, {{200, 100}, {301, 201}, {-50, -50}},
        {{185, 472}, {160, 200}, {12, 136}}, {{160, 200}, {160, 200}, {0, 0}}, {{10, 10}, {11, 11}, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store::pictureOrigin(c.inside, c.picture), c.origin) << c.inside.width() << "x" << c.picture.width();
}

TEST(PictureView, DrawsThePictureCentredOnTheWindowColour)
{
    auto questions = fixture::sampleQuestions(2);
    questions[0].picture = bmp({40, 30}, Qt::red);
    Bank bank(questions);
    store::DBImage view;
    view.resize(202, 102);  // inside 200 x 100 within the one-pixel sunken border
    view.bind(bank.source, "Poza");
    bank.cursor.Open();
    ASSERT_EQ(view.contentsRect().size(), QSize(200, 100));
    const QImage shot = view.grab().toImage();
    const QPoint origin = view.contentsRect().topLeft() + QPoint(80, 35);
    EXPECT_EQ(shot.pixelColor(origin), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(origin + QPoint(39, 29)), QColor(Qt::red));
    const QColor background = view.palette().color(QPalette::Base);
    EXPECT_EQ(shot.pixelColor(origin - QPoint(1, 1)), background);
    EXPECT_EQ(shot.pixelColor(origin + QPoint(40, 30)), background);

    bank.cursor.Next();  // empty Poza: only the background
    const QImage empty = view.grab().toImage();
    EXPECT_EQ(empty.pixelColor(origin), background);
}

TEST(PictureView, BytesThatAreNoPictureFailTheMoveAndLeaveTheViewBlank)
{
    auto questions = fixture::sampleQuestions(3);
    questions[0].picture = bmp({10, 10}, Qt::green);
    questions[1].picture = "not a bitmap at all";
    Bank bank(questions);
    store::DBImage view;
    view.bind(bank.source, "Poza");
    bank.cursor.Open();
    EXPECT_FALSE(view.picture().isNull());
    try {
        bank.cursor.Next();
        ADD_FAILURE() << "an invalid picture must fail the move";
    } catch (const store::Error& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_TRUE(view.picture().isNull());
    EXPECT_EQ(bank.cursor.FieldByName("Nr_Intreb").AsString(), "1") << "the move itself was made";
}

TEST(PictureView, ClipboardRoundTripCarriesThePictureIntoAnotherRecord)
{
    auto questions = fixture::sampleQuestions(2);
    questions[0].picture = bmp({16, 8}, QColor(10, 120, 200));
    Bank bank(questions);
    store::DBImage view;
    view.resize(100, 100);
    view.bind(bank.source, "Poza");
    bank.cursor.Open();

    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    ASSERT_FALSE(QApplication::clipboard()->image().isNull());
    bank.cursor.Next();
    EXPECT_TRUE(view.picture().isNull());
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(bank.cursor.State(), store::CursorState::Edit);
    EXPECT_EQ(view.picture().size(), QSize(16, 8));
    bank.cursor.First();  // settles: the pasted picture is written as a BMP file

    const std::string stored = bank.folder.column("SELECT Poza FROM Intrebari WHERE Nr_Intreb = 1")[0];
    const QImage decoded = store::decodePicture(QByteArray::fromStdString(stored));
    EXPECT_EQ(decoded.size(), QSize(16, 8));
    EXPECT_EQ(decoded.pixelColor(3, 3), QColor(10, 120, 200));

    // Cut empties the view and, at the next move, the field.
    bank.cursor.Next();
    QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(view.picture().isNull());
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.picture().isNull()) << "Esc shows the field's picture again";
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);
    bank.cursor.First();
    EXPECT_EQ(bank.folder.column("SELECT ifnull(length(Poza), 0) FROM Intrebari WHERE Nr_Intreb = 1")[0], "0");
}

}  // namespace

namespace {

// A question picture shown larger keeps a light of 2 x 2 pixels at full brightness, hard-edged and square
// wherever it lies; shown smaller it keeps a line one pixel wide, wherever it lies.
TEST(PictureScaling, LightsStayCrispAndSquareEnlargedAndThinLinesStayReduced)
{
    for (const double factor : {1.125, 1.5, 2.0}) {
        for (int at = 6; at < 10; ++at) {
            SCOPED_TRACE(testing::Message() << factor << " at " << at);
            QImage source(16, 16, QImage::Format_ARGB32);
            source.fill(Qt::black);
            for (const QPoint p : {QPoint(at, at), QPoint(at + 1, at), QPoint(at, at + 1), QPoint(at + 1, at + 1)})
                source.setPixel(p, qRgb(255, 255, 255));
            const QImage out = store::scaledPicture(source, QSize(qRound(16 * factor), qRound(16 * factor)));
            QRect lit;
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x) {
                    const int v = qGray(out.pixel(x, y));
                    EXPECT_TRUE(v == 0 || v == 255) << "blended at " << x << "," << y;
                    if (v == 255)
                        lit |= QRect(x, y, 1, 1);
                }
            EXPECT_EQ(lit.width(), lit.height());
            EXPECT_GE(lit.width(), int(2 * factor));
        }
    }
    for (int at = 0; at < 16; ++at) {
        SCOPED_TRACE(at);
        QImage source(16, 16, QImage::Format_ARGB32);
        source.fill(Qt::black);
        for (int y = 0; y < 16; ++y)
            source.setPixel(at, y, qRgb(255, 255, 255));
        const QImage out = store::scaledPicture(source, QSize(12, 12));
        int brightest = 0;
        for (int x = 0; x < out.width(); ++x)
            brightest = std::max(brightest, qGray(out.pixel(x, 6)));
        // Split over two pixels it is half as bright; dropped, as picking the nearest pixel drops it, it is 0.
        EXPECT_GE(brightest, 96) << "the line is gone";
    }
}

}  // namespace
