#include <QApplication>
#include <QTimer>

#include "app/first_paint.h"
#include "app/frm_main.h"
#include "app/kit.h"
#include "app/structure_check.h"
#include "startup/program.h"
#include "startup/single_instance.h"
#include "startup/start_up.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    // Shared by every window and by the claim on the bank, which brings them to the front; it outlives both.
    app::Kit kit;
    // One program per bank: a second start on it brings the first to the front, or opens the bank for
    // learning only, or leaves.
    startup::SingleInstance instance(kit);
    const startup::BankStart start = instance.start(QCoreApplication::applicationDirPath());
    if (start.leave)
        return 0;
    startup::Program program(kit, start.bank);
    program.start();
    // The socket and the lock's refresh wait until the welcome window is seen: a second start that comes
    // sooner keeps asking for a few seconds. Should no paint come (a window shown minimized), a second
    // later at most.
    const auto answer = [&instance] { instance.answerLaterStarts(); };
    app::afterFirstPaint(program.welcomeWindow(), &instance, answer);
    QTimer::singleShot(1000, &instance, answer);
    app::checkDatabaseStructureAfterFirstPaint(kit, program.welcomeWindow(), program.database().conColreg);
    return kit.endRequested() ? 0 : application.exec();
}
