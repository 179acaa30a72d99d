#include "app/boxes.h"

#include <QApplication>
#include <QMessageBox>

#include "app/app_title.h"
#include "app/kit.h"

namespace app {

namespace {

void run(QMessageBox::Icon icon, QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

void QtBoxes::notice(const QString& text)
{
    run(QMessageBox::NoIcon, nullptr, runningTitle(), text);
}

void QtBoxes::message(QWidget* owner, const QString& caption, const QString& text)
{
    run(QMessageBox::NoIcon, owner, caption, text);
}

void QtBoxes::error(const QString& text)
{
    // Owned by the active window so that it stays in front of it; centred on the screen otherwise.
    run(QMessageBox::Critical, QApplication::activeWindow(), runningTitle(), text);
}

void Kit::reportFailure(const std::exception& failure)
{
    boxes().error(withFullStop(QString::fromUtf8(failure.what())));
}

void Kit::reportUnknownFailure()
{
    boxes().error(withFullStop(QStringLiteral("Unknown failure")));
}

}  // namespace app
