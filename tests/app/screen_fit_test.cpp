// Windows shown smaller where the screen is small: every control inside its parent and whole, every
// text inside its control, the designed layout given back exactly, and a move to another screen refits.
// The suites' screens (tests/support/offscreen-screens.json): a large first one, a small second one.
#include "app/screen_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QWindow>

#include <map>

#include "app/button_pictures.h"
#include "app/frm_alege.h"
#include "app/frm_main.h"
#include "app/jpeg_picture.h"
#include "app/kit.h"
#include "learning/frm_inv_colreg.h"
#include "startup/start_up.h"
#include "store/picture.h"
#include "store/views/db_image.h"
#include "testing/frm_colreg_proc.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_layout.h"

namespace {

TEST(FitScale, OneWhereTheClientFitsElseTheLargestThatFitsDownToTheFloor)
{
    struct Case {
        QSize needed, room;
        double scale;
    } const cases[] = {
        {{1353, 698}, {1353, 698}, 1.0},            // exactly
        {{1353, 698}, {1920, 1050}, 1.0},           // larger
        {{1353, 698}, {1280, 698}, 1280.0 / 1353},  // too narrow
        {{1353, 698}, {1366, 667}, 667.0 / 698},    // too low
        {{1000, 500}, {800, 450}, 0.8},             // both: the smaller factor
        {{1353, 698}, {1000, 500}, 0.75},           // below the floor: the floor, and the area scrolls
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(app::fitScale(c.needed, c.room), c.scale) << c.room.width() << "x" << c.room.height();
}

QWidget* clientOf(QWidget* window)
{
    return window->findChild<QScrollArea*>(QStringLiteral("clientArea"))->widget();
}

class ScreenFit : public ::testing::Test, protected fixture::ProgramHolder {
protected:
    void SetUp() override
    {
        std::vector<fixture::Question> questions = fixture::sampleQuestions(5);
        // The first question shows a picture of the bank's size, a light of 2 x 2 pixels in its middle.
        QImage picture(160, 200, QImage::Format_ARGB32);
        picture.fill(Qt::black);
        for (const QPoint p : {QPoint(80, 100), QPoint(81, 100), QPoint(80, 101), QPoint(81, 101)})
            picture.setPixel(p, qRgb(255, 255, 255));
        questions[0].picture = store::encodeBmp(picture).toStdString();
        folder.writeDatabase(questions);
        build(folder.path());
        windows = {frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc};
        // Every control shown, the ones a state of the window shows later too.
        frmAlege->InstruciuniOperare1->trigger();
        for (QWidget* w : placedControls(frmColreg_Proc))
            w->show();
    }
    void TearDown() override { destroy(); }

    fixture::Folder folder;
    BoxRecorder recorder{kit()};
    std::vector<QWidget*> windows;
};

TEST_F(ScreenFit, AtEveryFactorEveryControlIsInsideItsParentAndEveryTextInsideItsControl)
{
    if (!onConfiguredScreens())
        GTEST_SKIP() << "needs the screens of offscreen-screens.json, which this platform did not read";
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        std::map<QWidget*, std::pair<QRect, QFont>> designed;
        for (QWidget* w : placedControls(window))
            designed[w] = {w->geometry(), w->font()};
        // The factors of the screens tried end to end, and the floor.
        for (const double f : {1.0, 0.95, 0.9, 0.8, 0.757, app::kSmallestScale}) {
            SCOPED_TRACE(f);
            app::scaleClient(window, f);
            const QWidget* client = clientOf(window);
            EXPECT_LE(client->minimumWidth(), qCeil(app::designedClientNeed(window).width() * f));
            EXPECT_LE(client->minimumHeight(), qCeil(app::designedClientNeed(window).height() * f));
            for (QWidget* w : placedControls(window)) {
                SCOPED_TRACE(w->objectName().toStdString());
                EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                    << "outside its parent: " << w->geometry().x() << "," << w->geometry().y() << " " << w->width()
                    << "x" << w->height();
                if (w->parentWidget() == client) {
                    EXPECT_LE(w->geometry().right() + 1, client->minimumWidth());
                    EXPECT_LE(w->geometry().bottom() + 1, client->minimumHeight());
                }
                const auto [need, room] = textNeedAndRoom(w);
                EXPECT_TRUE(need.isNull() || room.contains(need))
                    << "text clipped: needs " << need.width() << "x" << need.height() << " at " << need.x() << ","
                    << need.y() << ", has " << room.width() << "x" << room.height() << " at " << room.x() << ","
                    << room.y();
                // Text of 14 px or more stays at three quarters of its size or more.
                const double pixels = QFontInfo(w->font()).pixelSize();
                const double designedPixels = QFontInfo(designed[w].second).pixelSize();
                if (designedPixels >= 14) {
                    EXPECT_GE(QFontMetricsF(w->font()).height(),
                              QFontMetricsF(designed[w].second).height() * 0.75 - 0.5)
                        << pixels << " px from " << designedPixels;
                }
            }
        }
        app::scaleClient(window, 1.0);
        for (const auto& [w, was] : designed) {
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_EQ(w->geometry(), was.first) << "not back at its designed place";
            EXPECT_EQ(w->font(), was.second) << "not back at its designed font";
        }
    }
}

TEST_F(ScreenFit, PicturesShrinkWithTheirWindow)
{
    if (!onConfiguredScreens())
        GTEST_SKIP() << "needs the screens of offscreen-screens.json, which this platform did not read";
    const QImage question = frmInv_Colreg->DBImage1->picture();
    ASSERT_FALSE(question.isNull());
    const QSize menuPicture = frmAlege->Image1->pixmap().deviceIndependentSize().toSize();
    for (const double f : {0.8, app::kSmallestScale}) {
        SCOPED_TRACE(f);
        app::scaleClient(frmAlege, f);
        app::scaleClient(frmInv_Colreg, f);
        EXPECT_EQ(frmAlege->Image1->pixmap().deviceIndependentSize().toSize(), (QSizeF(menuPicture) * f).toSize());
        store::DBImage* view = frmInv_Colreg->DBImage1;
        EXPECT_EQ(view->pictureRect().size(), (QSizeF(question.size()) * f).toSize());
        EXPECT_TRUE(view->contentsRect().contains(view->pictureRect())) << "the question picture is cut off";
    }
    app::scaleClient(frmAlege, 1.0);
    app::scaleClient(frmInv_Colreg, 1.0);
    EXPECT_EQ(frmAlege->Image1->pixmap().deviceIndependentSize().toSize(), menuPicture);
    EXPECT_EQ(frmInv_Colreg->DBImage1->pictureRect().size(), question.size());
}

TEST_F(ScreenFit, MovingToASmallerScreenRefitsAndBackGivesTheDesignedLayout)
{
    if (!onConfiguredScreens())
        GTEST_SKIP() << "needs the screens of offscreen-screens.json, which this platform did not read";
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_GE(screens.size(), 2) << "the suites run with a large and a small screen";
    QScreen* large = screens[0];
    QScreen* small = screens[1];
    ASSERT_LT(small->availableSize().width(), 1353);
    for (QWidget* window : windows) {
        SCOPED_TRACE(window->objectName().toStdString());
        kit().showWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(app::clientScale(window), 1.0) << "the large screen holds every window as designed";
        window->windowHandle()->setScreen(small);
        QCoreApplication::processEvents();
        const double f = app::fitScale(app::designedClientNeed(window), app::clientRoom(window));
        EXPECT_EQ(app::clientScale(window), f);
        EXPECT_LT(f, 1.0);
        window->windowHandle()->setScreen(large);
        QCoreApplication::processEvents();
        EXPECT_EQ(app::clientScale(window), 1.0);
    }
    EXPECT_EQ(frmMain->Image1->geometry(), QRect(80, 84, 753, 481));
    EXPECT_EQ(frmColreg_Proc->Panel2->geometry(), QRect(972, 8, 373, 170));
}

}  // namespace

namespace {

// On a screen of twice the density a button shows the glyph drawn for it, not the small one enlarged; the
// greyed one too.
TEST(ButtonPictures, EachDensityGetsItsOwnDrawing)
{
    for (const char* name : {"door-open", "arrow-up", "confirm-down", "hand-left"}) {
        SCOPED_TRACE(name);
        const QIcon icon = app::buttonPicture(QString::fromLatin1(name));
        for (const auto& [ratio, suffix] : {std::pair{1.0, ""}, std::pair{2.0, "@2x"}}) {
            for (const auto& [mode, variant] :
                 {std::pair{QIcon::Normal, ""}, std::pair{QIcon::Disabled, "-disabled"}}) {
                const QImage drawn(QStringLiteral(":/buttons/%1%2%3.png")
                                       .arg(QLatin1String(name), QLatin1String(variant), QLatin1String(suffix)));
                ASSERT_FALSE(drawn.isNull());
                const QImage shown = icon.pixmap(QSize(16, 16), ratio, mode).toImage();
                EXPECT_EQ(shown.size(), drawn.size()) << ratio;
                EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32))
                    << ratio << variant;
            }
        }
    }
}

}  // namespace

namespace {

QScreen* screenNamed(const char* name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == QLatin1String(name))
            return screen;
    return nullptr;
}

// Run with a screen of twice the density first (tests/support/offscreen-dense-screens.json, a suite of its
// own); skipped elsewhere. Pictures are drawn for the device's pixels, and again for the other screen's
// when the window moves there.
TEST_F(ScreenFit, PicturesAreDrawnAtTheDensityOfTheScreenTheWindowIsOn)
{
    QScreen* dense = screenNamed("dense");
    QScreen* ordinary = screenNamed("large");
    if (!dense || !ordinary)
        GTEST_SKIP() << "needs the screens of offscreen-dense-screens.json";
    const std::initializer_list<QWidget*> shownWindows{frmMain, frmAlege, frmInv_Colreg};
    for (QWidget* window : shownWindows) {
        kit().showWindow(window);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    // The welcome and menu pictures as each screen must show them: the file painted for that density, pixel
    // for pixel, at the designed logical size. The welcome file is painted at twice its box, decoded at
    // half size for an ordinary screen; the menu picture has a file of its own for dense screens.
    const auto file = [](const char* name, QSize atLeast = {}) {
        QFile in(QString::fromLatin1(name));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << name;
        return app::decodeJpeg(in.readAll(), atLeast).convertToFormat(QImage::Format_RGB32);
    };
    struct Drawn {
        QLabel* label;
        QSize logical;
        QImage ordinary, dense;
    } const pictures[] = {
        {frmMain->Image1, {753, 481}, file(":/pictures/welcome.jpg", {753, 481}), file(":/pictures/welcome.jpg")},
        {frmAlege->Image1, {1010, 676}, file(":/pictures/menu.jpg"), file(":/pictures/menu@2x.jpg")},
    };
    for (const auto& [screen, ratio] : {std::pair{dense, 2.0}, std::pair{ordinary, 1.0}, std::pair{dense, 2.0}}) {
        SCOPED_TRACE(screen->name().toStdString());
        for (QWidget* window : shownWindows)
            window->windowHandle()->setScreen(screen);
        QCoreApplication::processEvents();
        ASSERT_EQ(frmAlege->devicePixelRatioF(), ratio);
        for (const Drawn& picture : pictures) {
            SCOPED_TRACE(picture.label->window()->objectName().toStdString());
            const QPixmap shown = picture.label->pixmap();
            EXPECT_EQ(shown.devicePixelRatio(), ratio);
            EXPECT_EQ(shown.deviceIndependentSize(), QSizeF(picture.logical));
            const QImage& drawn = ratio > 1.0 ? picture.dense : picture.ordinary;
            ASSERT_EQ(shown.size(), drawn.size()) << "the picture is not drawn for the screen's pixels";
            EXPECT_TRUE(shown.toImage().convertToFormat(QImage::Format_RGB32) == drawn)
                << "the picture shown is not the one painted for this density";
        }
        // The light, as the view paints it: a square of whole pixels, as bright as drawn, none half lit.
        const QImage painted = frmInv_Colreg->DBImage1->grab().toImage();
        ASSERT_EQ(painted.devicePixelRatio(), ratio);
        const QRect picture = frmInv_Colreg->DBImage1->pictureRect();
        const int r = int(ratio);
        QRect lit;
        int blended = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x) {
                if (!picture.contains(x / r, y / r))
                    continue;
                const int v = qGray(painted.pixel(x, y));
                if (v == 255)
                    lit |= QRect(x, y, 1, 1);
                else if (v != 0)
                    ++blended;
            }
        EXPECT_EQ(lit.size(), QSize(2, 2) * ratio);
        EXPECT_EQ(blended, 0);
    }
}

}  // namespace
