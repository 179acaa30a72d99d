#include "app/structure_check.h"

#include <QWidget>

#include "app/first_paint.h"
#include "app/kit.h"
#include "store/connection.h"
#include "store/error.h"

namespace app {

void checkDatabaseStructure(store::Connection& connection)
{
    if (connection.structureChecked() || !connection.handle())
        return;
    const std::string finding = connection.checkStructure();
    if (!finding.empty())
        throw store::Error(store::damagedFileText(connection.file(), finding));
}

void checkDatabaseStructureAfterFirstPaint(Kit& kit, QWidget* window, store::Connection& connection)
{
    store::Connection* checked = &connection;
    afterFirstPaint(window, window, [&kit, checked] { kit.guarded([checked] { checkDatabaseStructure(*checked); }); });
}

}  // namespace app
