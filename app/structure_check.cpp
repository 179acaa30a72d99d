#include "app/structure_check.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/boxes.h"
#include "store/connection.h"
#include "store/error.h"

namespace app {

namespace {

// Waits for the window's first paint, then leaves the check to the next turn of the event loop.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* window, store::Connection& connection) : QObject(window), connection_(connection)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !scheduled_) {
            scheduled_ = true;
            watched->removeEventFilter(this);
            store::Connection* connection = &connection_;
            QPointer<QObject> self(this);
            QTimer::singleShot(0, parent(), [connection, self] {
                guarded([connection] { checkDatabaseStructure(*connection); });
                if (self)
                    self->deleteLater();
            });
        }
        return false;
    }

private:
    store::Connection& connection_;
    bool scheduled_ = false;
};

}  // namespace

void checkDatabaseStructure(store::Connection& connection)
{
    if (connection.structureChecked() || !connection.handle())
        return;
    const std::string finding = connection.checkStructure();
    if (!finding.empty())
        throw store::Error(store::damagedFileText(connection.dataSource(), finding));
}

void checkDatabaseStructureAfterFirstPaint(QWidget* window, store::Connection& connection)
{
    new FirstPaint(window, connection);
}

}  // namespace app
