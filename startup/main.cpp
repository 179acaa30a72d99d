#include <QApplication>

#include "app/frm_main.h"
#include "app/structure_check.h"
#include "app/window_ops.h"
#include "startup/program.h"
#include "startup/single_instance.h"
#include "startup/start_up.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    // One program per bank: a second start on it brings the first to the front, or opens the bank for
    // learning only, or leaves.
    startup::SingleInstance instance;
    const startup::BankStart start = instance.start(QCoreApplication::applicationDirPath());
    if (start.leave)
        return 0;
    startup::Program program(start.bank);
    program.start();
    app::checkDatabaseStructureAfterFirstPaint(program.welcomeWindow(), program.database().conColreg);
    return app::endRequested() ? 0 : application.exec();
}
