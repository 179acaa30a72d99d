#pragma once

class QWidget;

namespace app {

// The only ways the program moves between its windows.

// The welcome window: the owner of every other window, and the one whose close ends the program. It
// registers itself when it is created and clears the registration when it goes.
void setMainWindow(QWidget* window);
QWidget* mainWindow();

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
bool endRequested();
void resetEndRequest();

}  // namespace app
