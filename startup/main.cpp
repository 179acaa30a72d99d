#include <QApplication>

#include "app/frm_main.h"
#include "app/structure_check.h"
#include "app/window_ops.h"
#include "startup/start_up.h"
#include "startup/windows.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    startup::startProgram(QCoreApplication::applicationDirPath());
    app::checkDatabaseStructureAfterFirstPaint(frmMain, frmMain->data.conColreg);
    const int code = app::endRequested() ? 0 : application.exec();
    startup::destroyWindows();
    return code;
}
