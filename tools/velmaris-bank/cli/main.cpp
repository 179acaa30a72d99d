// velmaris-bank: builds Velmaris.mdb from the bank sources, checks a bank, exports a database back
// into sources, takes the bank to and from Moodle XML, GIFT and Aiken, and prints it.

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

#include "velmaris-bank/cli/command_line.h"

int main(int argc, char* argv[])
{
    // Printing sets text, which needs the GUI's fonts; it never opens a window.
    const bool gui = argc > 1 && bank::cli::needsGui(QString::fromLocal8Bit(argv[1]));
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        gui ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    return bank::cli::run(app->arguments().mid(1));
}
