#include <QApplication>

#include "app/frm_main.h"
#include "app/start_up.h"
#include "app/structure_check.h"
#include "app/window_ops.h"
#include "app/windows.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::setUpApplication(application);
    app::createWindows(QCoreApplication::applicationDirPath());
    app::showWindow(frmMain);
    app::checkDatabaseStructureAfterFirstPaint(frmMain, frmMain->conColreg);
    const int code = app::endRequested() ? 0 : application.exec();
    app::destroyWindows();
    return code;
}
