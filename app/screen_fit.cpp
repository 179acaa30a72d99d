#include "app/screen_fit.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "app/jpeg_picture.h"
#include "app/kit.h"

namespace app {

namespace {

// Room left beyond the right and bottom edge of the outermost controls (as the scroll area leaves it).
constexpr int kMargin = 8;
const char* const kContentScale = "contentScale";
const char* const kPictureFile = "pictureFile";

int scaled(int v, double f)
{
    return static_cast<int>(std::lround(v * f));
}

// Edges are scaled, not sizes, so that controls that touch at the designed size still touch.
QRect scaledRect(const QRect& r, double f)
{
    const int left = scaled(r.left(), f), top = scaled(r.top(), f);
    return {left, top, scaled(r.left() + r.width(), f) - left, scaled(r.top() + r.height(), f) - top};
}

QFont scaledFont(const QFont& designed, double f, double dpi)
{
    if (f == 1.0)
        return designed;
    // A pixel size is whole; a point size need not be, so 14 px at 0.75 is 10.5 px and not 10.
    const double pixels = designed.pixelSize() > 0 ? designed.pixelSize() : designed.pointSizeF() * dpi / 72.0;
    QFont font = designed;
    font.setPointSizeF(pixels * f * 72.0 / dpi);
    return font;
}

// A control of the client area as it was designed.
struct Control {
    QPointer<QWidget> widget;
    QRect geometry;
    bool ownFont = false;
    QFont font;
    QSize iconSize;
    bool picture = false;      // draws a picture at its natural size, scaled through contentScale
    bool sizedToText = false;  // a label as large as its text
    bool wraps = false;        // a label whose words wrap
    QPixmap pixmap;            // a label's picture as its window gave it
    qint64 shownPixmap = 0;    // the scaled copy the fit gave the label
};

QWidget* clientOf(const QWidget* window)
{
    auto* area = window->findChild<QScrollArea*>(QStringLiteral("clientArea"));
    return area ? area->widget() : nullptr;
}

// Plain panels hold controls of their own; the children of any other control are its parts, which it
// places itself.
bool holdsControls(const QWidget* w)
{
    return w->metaObject() == &QWidget::staticMetaObject || w->metaObject() == &QFrame::staticMetaObject;
}

void record(QWidget* container, std::vector<Control>& controls)
{
    for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow())
            continue;
        Control c;
        c.widget = w;
        c.geometry = w->geometry();
        c.ownFont = w->testAttribute(Qt::WA_SetFont);
        c.font = w->font();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            c.iconSize = button->iconSize();
        c.picture = w->metaObject()->indexOfProperty(kContentScale) >= 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            c.wraps = label->wordWrap();
            c.sizedToText = !label->text().isEmpty() && !c.wraps && label->size() == label->sizeHint();
        }
        controls.push_back(std::move(c));
        if (holdsControls(w))
            record(w, controls);
    }
}

QSize extentOf(const std::vector<Control>& controls, const QWidget* client)
{
    QRect extent;
    for (const Control& c : controls)
        if (c.widget && c.widget->parentWidget() == client)
            extent |= c.geometry;
    return {extent.right() + 1 + kMargin, extent.bottom() + 1 + kMargin};
}

class ScreenFit : public QObject {
public:
    ScreenFit(QWidget* window, QWidget* client, Kit& kit) : QObject(window), window_(window), client_(client), kit_(kit)
    {
        setObjectName(QStringLiteral("screenFit"));
        clientFont_ = client->font();
        record(client, controls_);
        need_ = extentOf(controls_, client);
        window->installEventFilter(this);
    }

    QSize need() const { return need_; }
    Kit& kit() const { return kit_; }
    double scale() const { return scale_; }

    void refit()
    {
        watchScreen();
        apply(fitScale(need_, clientRoom(window_)));
    }

    void apply(double f)
    {
        const qreal ratio = window_->devicePixelRatioF();
        const bool pictures = picturesChanged();
        if (f == scale_ && ratio == ratio_ && !pictures)
            return;
        const bool layout = f != scale_;
        scale_ = f;
        ratio_ = ratio;
        if (layout)
            applyLayout(f);
        for (Control& c : controls_)
            if (c.widget)
                showPicture(c, f, ratio);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_) {
            switch (event->type()) {
                case QEvent::Show:
                case QEvent::Resize:
                case QEvent::Move:
                case QEvent::WindowStateChange:
                case QEvent::ScreenChangeInternal:
                    refit();
                    break;
                default:
                    break;
            }
        }
        return false;
    }

private:
    void applyLayout(double f)
    {
        const double dpi = window_->logicalDpiY();
        client_->setFont(scaledFont(clientFont_, f, dpi));
        for (Control& c : controls_) {
            if (!c.widget)
                continue;
            c.widget->setGeometry(scaledRect(c.geometry, f));
            if (c.ownFont)
                c.widget->setFont(scaledFont(c.font, f, dpi));
            if (c.iconSize.isValid())
                static_cast<QAbstractButton*>(c.widget.data())->setIconSize(c.iconSize * f);
            if (c.picture)
                c.widget->setProperty(kContentScale, f);
        }
        // A smaller font is not always smaller by the same factor (hinting rounds): a label grows to its
        // text rather than cutting it off. At the designed size every control is as designed.
        if (f != 1.0) {
            for (Control& c : controls_) {
                auto* label = qobject_cast<QLabel*>(c.widget.data());
                if (!label)
                    continue;
                if (c.sizedToText)
                    label->resize(label->size().expandedTo(label->sizeHint()));
                else if (c.wraps)
                    label->resize(label->width(), std::max(label->height(), label->heightForWidth(label->width())));
            }
        }
        client_->setMinimumSize(static_cast<int>(std::ceil(need_.width() * f - 1e-6)),
                                static_cast<int>(std::ceil(need_.height() * f - 1e-6)));
    }

    bool picturesChanged() const
    {
        for (const Control& c : controls_)
            if (auto* label = qobject_cast<QLabel*>(c.widget.data()))
                if (const qint64 key = label->pixmap().cacheKey(); !label->pixmap().isNull() && key != c.shownPixmap)
                    return true;
        return false;
    }

    // A label's picture, drawn for the device at the label's scale: smoothly resampled from what the
    // window gave it, which is used as it is where it already fits.
    static void showPicture(Control& c, double f, qreal ratio)
    {
        auto* label = qobject_cast<QLabel*>(c.widget.data());
        if (!label)
            return;
        const QPixmap current = label->pixmap();
        if (current.isNull())
            return;
        if (current.cacheKey() != c.shownPixmap)
            c.pixmap = current;
        // A picture made for an ordinary screen would be enlarged, soft, on a dense one, and one made for a
        // dense screen is not the ordinary screen's own drawing: where the label names its file, crossing
        // between the two loads the picture again for the screen now under the window.
        if (const QString file = label->property(kPictureFile).toString();
            !file.isEmpty() && (c.pixmap.devicePixelRatio() > 1.0) != (ratio > 1.0)) {
            try {
                c.pixmap = QPixmap::fromImage(loadPicture(file, ratio, c.pixmap.deviceIndependentSize().toSize()));
            } catch (const std::runtime_error&) {
                // The picture was read once already; it stays as it is rather than fail a window's move.
            }
        }
        QPixmap shown = c.pixmap;
        const QSizeF logical = c.pixmap.deviceIndependentSize() * f;
        const QSize device(static_cast<int>(std::lround(logical.width() * ratio)),
                           static_cast<int>(std::lround(logical.height() * ratio)));
        if (device != c.pixmap.size()) {
            shown = c.pixmap.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            shown.setDevicePixelRatio(ratio);
        }
        if (shown.cacheKey() != current.cacheKey())
            label->setPixmap(shown);
        c.shownPixmap = label->pixmap().cacheKey();
    }

    void watchScreen()
    {
        if (QWindow* handle = window_->windowHandle(); handle && !handle_) {
            handle_ = handle;
            connect(handle, &QWindow::screenChanged, this, [this] { refit(); });
        }
        QScreen* screen = window_->screen();
        if (screen == screen_)
            return;
        if (screen_)
            disconnect(screen_, nullptr, this, nullptr);
        screen_ = screen;
        if (screen) {
            connect(screen, &QScreen::availableGeometryChanged, this, [this] { refit(); });
            connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { refit(); });
        }
    }

    QWidget* window_;
    QWidget* client_;
    Kit& kit_;
    QFont clientFont_;
    std::vector<Control> controls_;
    QSize need_;
    double scale_ = 1.0;
    qreal ratio_ = 0;
    QPointer<QWindow> handle_;
    QPointer<QScreen> screen_;
};

ScreenFit* fitOf(const QWidget* window)
{
    return window->findChild<ScreenFit*>(QStringLiteral("screenFit"), Qt::FindDirectChildrenOnly);
}

}  // namespace

double fitScale(QSize needed, QSize room)
{
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return 1.0;
    const double f = std::min(double(room.width()) / needed.width(), double(room.height()) / needed.height());
    return std::max(f, kSmallestScale);
}

QSize designedClientNeed(const QWidget* window)
{
    const ScreenFit* fit = fitOf(window);
    return fit ? fit->need() : QSize();
}

QSize clientRoom(const QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return {};
    // A window not fitted by the kit has only its own frame to go by.
    const ScreenFit* fit = fitOf(window);
    QMargins frame = fit ? fit->kit().lastFrame() : QMargins();
    if (const QWindow* handle = window->windowHandle(); handle && window->isVisible()) {
        if (const QMargins told = handle->frameMargins(); !told.isNull()) {
            frame = told;
            if (fit)
                fit->kit().setLastFrame(told);
        }
    }
    QSize room = screen->availableGeometry().size().shrunkBy(frame);
    if (const auto* main = qobject_cast<const QMainWindow*>(window); main && main->menuWidget())
        room.rheight() -= main->menuWidget()->sizeHint().height();
    return room;
}

void scaleClient(QWidget* window, double scale)
{
    if (ScreenFit* fit = fitOf(window))
        fit->apply(scale);
}

double clientScale(const QWidget* window)
{
    const ScreenFit* fit = fitOf(window);
    return fit ? fit->scale() : 1.0;
}

void fitToScreen(QWidget* window, Kit& kit)
{
    QWidget* client = clientOf(window);
    if (!client || fitOf(window))
        return;
    (new ScreenFit(window, client, kit))->refit();
}

}  // namespace app
