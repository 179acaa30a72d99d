#pragma once

#include <QString>

class QWidget;

namespace app {

// The three modal boxes of the program. The real ones run their own event loop, so timers and
// painting go on behind an open box; tests install a recorder instead (Kit::setBoxes).
class Boxes {
public:
    virtual ~Boxes() = default;
    // Centred on the screen, captioned with the application title, no icon, one OK button.
    virtual void notice(const QString& text) = 0;
    // The platform's message box, owned by `owner`, with the caller's caption, no icon, one OK button.
    virtual void message(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Application title as caption, a stop icon, the message as given, one OK button.
    virtual void error(const QString& text) = 0;
};

class QtBoxes : public Boxes {
public:
    void notice(const QString& text) override;
    void message(QWidget* owner, const QString& caption, const QString& text) override;
    void error(const QString& text) override;
};

}  // namespace app
