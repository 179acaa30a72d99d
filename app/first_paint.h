#pragma once

#include <functional>

class QObject;
class QWidget;

namespace app {

// Runs `work` once, on the turn of the event loop after the first paint of anything in `window`: the
// window itself, any control inside it, or the platform window that carries it. A window whose whole
// client area is covered by opaque controls (a scroll area, say) never receives a paint event of its
// own, so watching the window alone is not enough. Nothing runs if `context` is destroyed first.
void afterFirstPaint(QWidget* window, QObject* context, std::function<void()> work);

}  // namespace app
