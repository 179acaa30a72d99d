#include "tests/support/box_recorder.h"

#include "app/app_title.h"

namespace {
void record(BoxRecorder& recorder, BoxRecorder::Box box)
{
    recorder.boxes.push_back(box);
    if (recorder.whileOpen)
        recorder.whileOpen(box);
}
}  // namespace

void BoxRecorder::notice(const QString& text)
{
    record(*this, {Kind::Notice, nullptr, app::runningTitle(), text});
}

void BoxRecorder::message(QWidget* owner, const QString& caption, const QString& text)
{
    record(*this, {Kind::Message, owner, caption, text});
}

void BoxRecorder::error(const QString& text)
{
    record(*this, {Kind::Error, nullptr, app::runningTitle(), text});
}

std::vector<QString> BoxRecorder::errors() const
{
    std::vector<QString> texts;
    for (const Box& box : boxes)
        if (box.kind == Kind::Error)
            texts.push_back(box.text);
    return texts;
}
