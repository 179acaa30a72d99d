// Prints the text on the X clipboard, as another program would paste it: what a box or a text view of
// Velmaris put there with Ctrl+C. Exits 1 when the clipboard holds no text.
#include <QClipboard>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return 1;
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}
