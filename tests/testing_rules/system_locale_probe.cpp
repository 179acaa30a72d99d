// Prints the percentage and time texts as the program would show them under the regional settings of
// its environment: starts the application the way the program does, then one line per text.
#include <QApplication>
#include <QTime>

#include <cstdio>
#include <cstdlib>

#include "startup/start_up.h"
#include "testing/grading.h"
#include "testing/test_clock.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    startup::setUpApplication(application);
    using namespace selftest;
    std::printf("%s\n", percentageText(percentage(2, 1)).toUtf8().constData());
    std::printf("%s\n", percentageText(percentage(20, 9)).toUtf8().constData());
    std::printf("%s\n", longTimeText(QTime(14, 5, 9)).toUtf8().constData());
    std::printf("%s\n", longTimeText(QTime(9, 7, 3)).toUtf8().constData());
    return 0;
}
