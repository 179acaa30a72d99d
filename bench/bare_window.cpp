// The floor of the launch measurement: the least a Qt 6 Widgets program does to put a painted window
// of the welcome window's size on the screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::red);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(1200, 701);
    window.showMaximized();
    return application.exec();
}
