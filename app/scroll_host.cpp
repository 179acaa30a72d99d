#include "app/scroll_host.h"

#include <QApplication>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/screen_fit.h"

namespace app {

namespace {

// Room left beyond the right and bottom edge of the outermost controls.
constexpr int kMargin = 8;

QSize extentOfControls(const QWidget* client)
{
    // Hidden controls count too: they appear later in the same place.
    QRect extent;
    for (const QWidget* child : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow())
            extent |= child->geometry();
    return {extent.right() + 1 + kMargin, extent.bottom() + 1 + kMargin};
}

void nameScrollBars(QWidget* window)
{
    for (QScrollBar* bar : window->findChildren<QScrollBar*>())
        if (bar->accessibleName().isEmpty())
            bar->setAccessibleName(bar->orientation() == Qt::Vertical ? QStringLiteral("Derulare verticală")
                                                                      : QStringLiteral("Derulare orizontală"));
}

}  // namespace

void scrollWhenSmaller(QWidget* window, Kit& kit)
{
    auto* mainWindow = qobject_cast<QMainWindow*>(window);
    // Moving a control clears its focus; the window's first focus stays where its builder put it.
    QWidget* focus = window->focusWidget();
    auto* area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("clientArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    // The controls take the focus, not the area that holds them.
    area->setFocusPolicy(Qt::NoFocus);

    QWidget* client = nullptr;
    if (mainWindow) {
        client = mainWindow->takeCentralWidget();
        area->setWidget(client);
        mainWindow->setCentralWidget(area);
    } else {
        client = new QWidget;
        // The client joins the window first, so the controls moved into it keep the window's tab order.
        area->setWidget(client);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(area);
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child == area || child->isWindow())
                continue;
            const bool shown = child->isVisible();
            child->setParent(client);
            if (shown)
                child->show();
        }
    }
    // The focus brings the whole of a control into view, not only a text box's cursor.
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
        if (now && area->widget() && area->widget()->isAncestorOf(now)) {
            const QRect at(now->mapTo(area->widget(), QPoint(0, 0)), now->size());
            area->ensureVisible(at.center().x(), at.center().y(), at.width() / 2 + 1, at.height() / 2 + 1);
        }
    });
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(extentOfControls(client));
    nameScrollBars(window);
    if (focus)
        focus->setFocus();
    fitToScreen(window, kit);
}

}  // namespace app
