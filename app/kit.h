#pragma once

#include <QMargins>
#include <QPointer>

#include <exception>
#include <utility>
#include <vector>

#include "app/boxes.h"

class QWidget;

namespace app {

// What the windows of one program share: the boxes they show, the welcome window, the order the
// windows were shown in, the request to end, and the window frame the window system last told. `main`
// keeps it on its stack beside the program, which hands it to every window it builds; it outlives them.
// Tests make their own and hand it to the program under test.
class Kit {
public:
    Kit() = default;
    Kit(const Kit&) = delete;
    Kit& operator=(const Kit&) = delete;

    // The three modal boxes: the real ones unless a test replaced them.
    Boxes& boxes() { return *boxes_; }
    // Installs another implementation (tests); nullptr restores the real boxes.
    void setBoxes(Boxes* replacement) { boxes_ = replacement ? replacement : &realBoxes_; }

    // Reports a failure that no handler caught, in the error box.
    void reportFailure(const std::exception& failure);
    void reportUnknownFailure();

    // Every event handler runs through here: a failure ends the handler at the failing step, shows the
    // error box, and the program goes on in its event loop. Nothing propagates into Qt.
    template <typename Handler>
    void guarded(Handler&& handler) noexcept
    {
        try {
            std::forward<Handler>(handler)();
        } catch (const std::exception& failure) {
            reportFailure(failure);
        } catch (...) {
            reportUnknownFailure();
        }
    }

    // The only ways the program moves between its windows.

    // The welcome window: the owner of every other window, and the one whose close ends the program. It
    // registers itself when it is created and clears the registration when it goes.
    void setMainWindow(QWidget* window) { welcome_ = window; }
    QWidget* mainWindow() const { return welcome_; }

    // Makes the window visible in the state the user left it (maximized at first), in front, active.
    void showWindow(QWidget* window);
    // Brings the program to the front when another start of it asks: the window shown last that is still
    // visible (else the welcome window), with an open box above it, each out of the minimized state.
    void bringProgramToFront();
    // Hides the window; for the welcome window, ends the program.
    void closeWindow(QWidget* window);
    // Asks the event loop to stop once the running handler has returned.
    void endProgram();
    // True once something asked to end the program (tests read it; the event loop has its own flag).
    bool endRequested() const { return ending_; }
    void resetEndRequest() { ending_ = false; }

    // The frame of the last shown window whose frame the window system told: a window not shown yet is
    // fitted to its screen as if it had the same (screen_fit.h). Null until one was told.
    QMargins lastFrame() const { return lastFrame_; }
    void setLastFrame(QMargins frame) { lastFrame_ = frame; }

private:
    QtBoxes realBoxes_;
    Boxes* boxes_ = &realBoxes_;
    QWidget* welcome_ = nullptr;
    // The windows in the order they were last shown, the latest last.
    std::vector<QPointer<QWidget>> shownOrder_;
    bool ending_ = false;
    QMargins lastFrame_;
};

}  // namespace app
