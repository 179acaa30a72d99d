// The text floor of the launch measurement: a bare Qt window of the welcome window's size that shows one
// label of text in the windows' fonts, so that it pays for finding and laying out those fonts as the
// welcome window does, and nothing else.
#include <QApplication>
#include <QLabel>
#include <QWidget>

namespace {

QFont font(const QString& family, int pixelHeight)
{
    QFont f(family);
    f.setPixelSize(pixelHeight);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setFont(font(QStringLiteral("Tahoma"), 11));
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::red);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(1200, 701);
    QLabel label(QStringLiteral("Welcome on board!You are a seaman and you love the sea."), &window);
    label.setFont(font(QStringLiteral("Times New Roman"), 19));
    label.setGeometry(839, 84, 322, 481);
    label.setWordWrap(true);
    window.showMaximized();
    return application.exec();
}
