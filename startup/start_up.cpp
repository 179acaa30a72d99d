#include "startup/start_up.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPixmap>
#include <QStyleFactory>

#include <clocale>
#include <future>
#include <memory>
#include <vector>

#include "app/keyboard_access.h"
#include "app/window_setup.h"

namespace startup {

namespace {

// The drawings of the icon of every window, as ready pixmaps: the X server receives every size an icon has,
// and the 256-pixel drawing (for the menu entry) alone would cost the start a decode and a quarter of a
// megabyte for the welcome window. They are decoded on a second core while start-up goes on; the first to
// ask for the icon (the first window shown, for its title bar and task switcher) waits for them.
class WindowIconDrawings {
public:
    WindowIconDrawings()
        : decoding_(std::async(std::launch::async | std::launch::deferred, [] {
              std::vector<QImage> drawings;
              for (const int size : {16, 24, 32, 48, 64, 128})
                  drawings.emplace_back(QStringLiteral(":/icons/velmaris-%1.png").arg(size));
              return drawings;
          }))
    {
    }

    // In the GUI thread only, as pixmaps are.
    const QIcon& icon()
    {
        if (decoding_.valid())
            for (const QImage& drawing : decoding_.get())
                icon_.addPixmap(QPixmap::fromImage(drawing));
        return icon_;
    }

private:
    std::future<std::vector<QImage>> decoding_;
    QIcon icon_;
};

// The window icon, answering every question from the decoded drawings, once they are there.
class WindowIcon : public QIconEngine {
public:
    explicit WindowIcon(std::shared_ptr<WindowIconDrawings> drawings) : drawings_(std::move(drawings)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // The drawing for `size` device pixels: the icon that asks has applied the screen's pixel ratio already.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return pixmap(size, mode, state).size();
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("velmarisWindowIcon"); }
    QIconEngine* clone() const override { return new WindowIcon(drawings_); }

private:
    const QIcon& icon() { return drawings_->icon(); }

    std::shared_ptr<WindowIconDrawings> drawings_;
};

}  // namespace

void setUpApplication(QApplication& application)
{
    // Qt took the user's regional settings when the application object was created; numbers are
    // parsed and printed in the C form from here on, and the decimal separator is asked for by name.
    std::setlocale(LC_NUMERIC, "C");
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app::setUpKeyboardAccess(application);
    application.setFont(app::windowFont(QStringLiteral("Tahoma"), 11));
    application.setWindowIcon(QIcon(new WindowIcon(std::make_shared<WindowIconDrawings>())));
    // Only the welcome window's close or an explicit request ends the program.
    application.setQuitOnLastWindowClosed(false);
}

}  // namespace startup
