// The committed pictures are the generator's output: painting them again must give the same files
// with the same pictures in them, so that neither the generator nor the pictures drift unnoticed.
// "The same picture" is what a person would see: Qt's antialiased painting rounds a few pixels one
// level differently on another processor, which no one can see and which must not fail the check.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <functional>
#include <iostream>
#include <map>
#include <vector>

#include "picture_compare.h"

namespace {

const QString kPaintArt = QStringLiteral(PAINT_ART);
const QString kResources = QStringLiteral(RESOURCES);
const QString kPainted = QStringLiteral(PAINTED);

// The folders the generator paints; resources/ holds others (texts, the Windows icon) it does not.
const QStringList kFolders = {"pictures", "icons", "buttons"};

QStringList filesUnder(const QString& root)
{
    QStringList files;
    for (const QString& folder : kFolders) {
        QDirIterator it(root + '/' + folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

QImage committed(const QString& name)
{
    QImage image(kResources + '/' + name);
    EXPECT_FALSE(image.isNull()) << "cannot read resources/" << name.toStdString();
    return image;
}

// Paints every picture once into the build folder (kept there to look at when the check fails).
class PaintedArt : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QDir(kPainted).removeRecursively();
        QProcess paint;
        paint.setProcessChannelMode(QProcess::ForwardedChannels);
        paint.start(kPaintArt, {kPainted});
        const bool finished = paint.waitForFinished(300000);
        paintedAll = finished && paint.exitStatus() == QProcess::NormalExit && paint.exitCode() == 0;
    }

    void SetUp() override { ASSERT_TRUE(paintedAll) << "paint-art failed to paint into " << kPainted.toStdString(); }

    static inline bool paintedAll = false;
};

// A picture the generator no longer paints fails as much as a changed one, and so does one it paints
// that was never committed.
TEST_F(PaintedArt, PaintsExactlyTheCommittedFiles)
{
    const QStringList paintedFiles = filesUnder(kPainted);
    const QStringList committedFiles = filesUnder(kResources);
    EXPECT_FALSE(committedFiles.isEmpty());
    EXPECT_EQ(paintedFiles, committedFiles) << "paint-art paints:\n  " << paintedFiles.join("\n  ").toStdString()
                                            << "\nresources/ holds:\n  " << committedFiles.join("\n  ").toStdString();
}

TEST_F(PaintedArt, EveryPictureLooksAsCommitted)
{
    const QStringList files = filesUnder(kResources);
    int same = 0;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QImage painted(kPainted + '/' + name);
        if (painted.isNull()) {
            ADD_FAILURE() << "paint-art painted no readable " << name.toStdString();
            continue;
        }
        const art::Comparison c = art::compare(painted, committed(name));
        const std::string verdict = art::verdict(c);
        if (!verdict.empty())
            ADD_FAILURE() << name.toStdString() << ": " << verdict << "\n(painted into " << kPainted.toStdString()
                          << "; regenerate resources/ with the paint-resources target if the change is meant)";
        else if (c.differing == 0)
            ++same;
        else
            std::cout << name.toStdString() << ": " << c.differing << " pixels differ, by at most " << c.worst
                      << (c.worst == 1 ? " level\n" : " levels\n");
    }
    std::cout << files.size() << " pictures painted as committed, " << same << " of them pixel for pixel\n";
}

// --- The comparison itself, both ways, on the committed pictures ---------------------------------

// A change of `delta` levels in one colour channel of opaque pixels spread over the picture,
// `count` of them, each away from the end of the channel's range so that none is clipped.
QImage nudged(const QImage& source, int count, int delta)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<QRgb*> opaque;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) == 255)
                opaque.push_back(row + x);
    }
    EXPECT_GE(opaque.size(), std::size_t(count)) << "not enough opaque pixels to change";
    const std::size_t step = opaque.size() / (count + 1);
    for (int i = 0; i < count && step > 0; ++i) {
        QRgb& p = *opaque[step * (i + 1)];
        int v[3] = {qRed(p), qGreen(p), qBlue(p)};
        const int channel = i % 3;
        v[channel] += v[channel] + delta > 255 || v[channel] + delta < 0 ? -delta : delta;
        p = qRgb(v[0], v[1], v[2]);
    }
    return image;
}

// The pixels of `region` moved by `by`, as when a shape is drawn somewhere else.
QImage moved(const QImage& source, const QRect& region, const QPoint& by)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage piece = image.copy(region);
    for (int y = 0; y < piece.height(); ++y)
        for (int x = 0; x < piece.width(); ++x)
            image.setPixel(region.topLeft() + by + QPoint(x, y), piece.pixel(x, y));
    return image;
}

// Every pixel of the picture's most common opaque colour given another colour.
QImage recoloured(const QImage& source, int red, int green, int blue)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                ++counts[image.pixel(x, y)];
    const QRgb common = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                            return a.second < b.second;
                        })->first;
    const auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    const QRgb other = qRgb(clamp(qRed(common) + red), clamp(qGreen(common) + green), clamp(qBlue(common) + blue));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == common)
                image.setPixel(x, y, other);
    return image;
}

struct Variant {
    const char* what;
    QString file;
    std::function<QImage(const QImage&)> make;
};

// What differs between the same drawing painted on two processors must pass: the files painted on
// another machine differed from ours by one level in one channel of 8 pixels (velmaris-128.png),
// 2 (velmaris-32.png) and 4 (velmaris.png).
TEST(PictureComparison, PassesWhatAPersonCannotTellApart)
{
    struct Case : Variant {
        qsizetype differing;  // pixels the variant changed as the comparison sees them
    };
    const Case cases[] = {
        {{"8 pixels one level off", "icons/velmaris-128.png", [](const QImage& i) { return nudged(i, 8, 1); }}, 8},
        {{"2 pixels one level off", "icons/velmaris-32.png", [](const QImage& i) { return nudged(i, 2, -1); }}, 2},
        {{"4 pixels one level off", "icons/velmaris.png", [](const QImage& i) { return nudged(i, 4, 1); }}, 4},
        {{"the most pixels allowed, two levels off", "icons/velmaris-16.png",
          [](const QImage& i) { return nudged(i, 4, 2); }},
         4},
        {{"an indexed picture, 3 pixels one level off", "icons/alege32.png",
          [](const QImage& i) { return nudged(i, 3, 1); }},
         3},
        {{"a button with transparent pixels, 2 pixels two levels off", "buttons/hand-left.png",
          [](const QImage& i) { return nudged(i, 2, -2); }},
         2},
        {{"a JPEG, 300 pixels one level off", "pictures/welcome.jpg",
          [](const QImage& i) { return nudged(i, 300, 1); }},
         300},
        {{"what lies under full transparency changed", "buttons/arrow-up.png",
          [](const QImage& i) {
              QImage image = i.convertToFormat(QImage::Format_ARGB32);
              for (int y = 0; y < image.height(); ++y)
                  for (int x = 0; x < image.width(); ++x)
                      if (qAlpha(image.pixel(x, y)) == 0)
                          image.setPixel(x, y, qRgba(255, 0, 255, 0));
              return image;
          }},
         0},
    };
    for (const Case& v : cases) {
        SCOPED_TRACE(std::string(v.what) + " in " + v.file.toStdString());
        const QImage original = committed(v.file);
        const art::Comparison c = art::compare(v.make(original), original);
        EXPECT_EQ(art::verdict(c), "");
        EXPECT_EQ(c.differing, v.differing);
    }
}

// A drawing that changed must fail, and the failure must say where the worst difference is.
TEST(PictureComparison, FailsWhenTheDrawingChanges)
{
    // The lit glass of the lighthouse's lantern in the welcome picture.
    const QRect lantern(1406, 368, 15, 14);
    struct Case : Variant {
        QRect where;  // the worst difference must lie here; empty: anywhere
        const char* says;
    };
    const Case cases[] = {
        {{"the lighthouse's light moved 4 pixels left", "pictures/welcome.jpg",
          [&](const QImage& i) { return moved(i, lantern, QPoint(-4, 0)); }},
         lantern.adjusted(-4, 0, 0, 0),
         "levels in"},
        {{"a button's glyph moved one pixel down", "buttons/arrow-left.png",
          [](const QImage& i) { return moved(i, QRect(0, 0, 16, 15), QPoint(0, 1)); }},
         QRect(0, 0, 16, 16),
         "levels in"},
        {{"the most common colour (the wheel's gold) changed", "icons/velmaris-128.png",
          [](const QImage& i) { return recoloured(i, 0, 12, -20); }},
         QRect(0, 0, 128, 128),
         "levels in"},
        {{"a third of the pixels one level off", "pictures/menu.jpg",
          [](const QImage& i) { return nudged(i, i.width() * i.height() / 3, 1); }},
         {},
         "pixels differ"},
        {{"one pixel three levels off", "icons/velmaris-64.png", [](const QImage& i) { return nudged(i, 1, 3); }},
         QRect(0, 0, 64, 64),
         "the worst by 3 levels"},
        {{"five pixels two levels off in a 16 x 16 icon", "icons/velmaris-16.png",
          [](const QImage& i) { return nudged(i, 5, 2); }},
         {},
         "5 of 256 pixels differ (at most 4 may"},
        {{"a picture one pixel narrower", "icons/velmaris-48.png",
          [](const QImage& i) { return i.copy(0, 0, 47, 48); }},
         {},
         "painted 47 x 48, committed 48 x 48"},
    };

    {
        // The lantern is where the case above moves it: lit glass beside the sky.
        const QImage welcome = committed("pictures/welcome.jpg");
        int lit = 0;
        for (int y = lantern.top(); y <= lantern.bottom(); ++y)
            for (int x = lantern.left(); x <= lantern.right(); ++x)
                lit += qRed(welcome.pixel(x, y)) > 225 && qBlue(welcome.pixel(x, y)) < 215;
        ASSERT_GT(lit, 20) << "the lantern's glass is no longer at (1406, 368) in the welcome picture";
    }

    for (const Case& v : cases) {
        SCOPED_TRACE(std::string(v.what) + " in " + v.file.toStdString());
        const QImage original = committed(v.file);
        const art::Comparison c = art::compare(v.make(original), original);
        const std::string verdict = art::verdict(c);
        std::cout << v.what << ": " << verdict << "\n";
        EXPECT_NE(verdict.find(v.says), std::string::npos) << verdict;
        if (!v.where.isEmpty()) {
            EXPECT_TRUE(v.where.contains(c.worstAt)) << verdict;
            EXPECT_NE(verdict.find(QString::asprintf("at (%d, %d)", c.worstAt.x(), c.worstAt.y()).toStdString()),
                      std::string::npos)
                << verdict;
        }
    }
}

}  // namespace
