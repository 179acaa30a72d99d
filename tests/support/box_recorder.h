#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "app/boxes.h"

class QWidget;

// Stands in for the real boxes: logs each box and returns at once, as if the user pressed OK.
class BoxRecorder : public app::Boxes {
public:
    enum class Kind { Notice, Message, Error };
    struct Box {
        Kind kind;
        QWidget* owner;
        QString caption;
        QString text;
    };

    BoxRecorder() { app::setBoxes(this); }
    ~BoxRecorder() override { app::setBoxes(nullptr); }

    void notice(const QString& text) override;
    void message(QWidget* owner, const QString& caption, const QString& text) override;
    void error(const QString& text) override;

    std::vector<Box> boxes;
    // Run while a box is "open", to see what the window shows behind it.
    std::function<void(const Box&)> whileOpen;

    std::vector<QString> errors() const;
};
