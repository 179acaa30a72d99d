// The bank's suites run with a QGuiApplication on the offscreen platform: reading HTML and Markdown goes
// through Qt's text document, which asks the GUI for fonts, as the tool's import does. No window opens.

#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
