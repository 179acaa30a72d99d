#include <QApplication>

#include "app/frm_main.h"
#include "app/structure_check.h"
#include "app/window_ops.h"
#include "startup/single_instance.h"
#include "startup/start_up.h"
#include "startup/windows.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    // One program per bank: a second start on it brings the first to the front, or opens the bank for
    // learning only, or leaves.
    startup::SingleInstance instance;
    const startup::BankStart bank = instance.start(QCoreApplication::applicationDirPath());
    if (bank.leave)
        return 0;
    startup::startProgram(QCoreApplication::applicationDirPath());
    startup::keepForLearningOnly(frmMain->data.conColreg, bank.learningOnly);
    app::checkDatabaseStructureAfterFirstPaint(frmMain, frmMain->data.conColreg);
    const int code = app::endRequested() ? 0 : application.exec();
    startup::destroyWindows();
    return code;
}
