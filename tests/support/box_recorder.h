#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "app/kit.h"

class QWidget;

// Stands in for the real boxes of one kit, from its building to its end: logs each box and returns at
// once, as if the user pressed OK.
class BoxRecorder : public app::Boxes {
public:
    enum class Kind { Notice, Message, Error };
    struct Box {
        Kind kind;
        QWidget* owner;
        QString caption;
        QString text;
    };

    explicit BoxRecorder(app::Kit& kit) : kit_(kit) { kit_.setBoxes(this); }
    ~BoxRecorder() override { kit_.setBoxes(nullptr); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    void notice(const QString& text) override;
    void message(QWidget* owner, const QString& caption, const QString& text) override;
    void error(const QString& text) override;

    std::vector<Box> boxes;
    // Run while a box is "open", to see what the window shows behind it.
    std::function<void(const Box&)> whileOpen;

    std::vector<QString> errors() const;

private:
    app::Kit& kit_;
};
