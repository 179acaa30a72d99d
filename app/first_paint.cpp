#include "app/first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace app {

namespace {

bool belongsTo(QObject* watched, const QWidget* window)
{
    if (watched->isWidgetType())
        return static_cast<QWidget*>(watched)->window() == window;
    if (watched->isWindowType())
        return static_cast<QWindow*>(watched) == window->windowHandle();
    return false;
}

// Watches the application's events (every paint of every window passes there) until the first paint
// that belongs to the window.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, QObject* context, std::function<void()> work)
        : QObject(context), window_(window), work_(std::move(work))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !scheduled_ && window_ && belongsTo(watched, window_)) {
            scheduled_ = true;
            QCoreApplication::instance()->removeEventFilter(this);
            // Single-shot on this object: destroying the context cancels the work.
            QTimer::singleShot(0, this, [this] {
                const std::function<void()> work = std::move(work_);
                deleteLater();
                work();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    std::function<void()> work_;
    bool scheduled_ = false;
};

}  // namespace

void afterFirstPaint(QWidget* window, QObject* context, std::function<void()> work)
{
    new FirstPaint(window, context, std::move(work));
}

}  // namespace app
