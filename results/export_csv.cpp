#include "results/export_csv.h"

#include <QString>
#include <QStringList>

#include <sqlite3.h>

#include <map>
#include <utility>
#include <vector>

#include "results/internal.h"
#include "results/overview.h"
#include "results/rules.h"
#include "store/connection.h"
#include "store/database.h"
#include "store/statement.h"

namespace results {

using namespace internal;

namespace {

bool isWrong(const QString& correctLetter, const QString& givenLetter)
{
    return correctLetter != givenLetter;
}

QString decimal(double value)
{
    // Romanian spreadsheets read a decimal comma.
    return QString::number(value, 'f', 2).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString csvField(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    return QLatin1Char('"') + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

QByteArray historyCsv(store::Database& data)
{
    store::Connection& connection = data.conColreg;
    sqlite3* db = handleOf(data);
    const Overview overview = loadOverview(data);
    const std::vector<QString>& parts = partNames();

    QString out;
    QStringList header = {QStringLiteral("Nume"),    QStringLiteral("Prenume"), QStringLiteral("Grupa"),
                          QStringLiteral("Data"),    QStringLiteral("Nota"),    QStringLiteral("Corecte"),
                          QStringLiteral("Greșite"), QStringLiteral("Procent")};
    for (const QString& part : parts)
        header << part;
    out += header.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    if (overview.history.empty())
        return QByteArray("\xEF\xBB\xBF") + out.toUtf8();

    // Per test and Part: answers judged and answered right.
    std::map<int, std::map<QString, std::pair<int, int>>> shares;
    {
        store::Statement select(db, "SELECT Id_Rezultat, Regula, Rb, Rd FROM Raspunsuri");
        eachRow(connection, select, "Răspunsurile nu au putut fi citite", [&] {
            auto& [seen, right] = shares[static_cast<int>(select.integer(0))][partOf(text(select, 1))];
            ++seen;
            right += !isWrong(text(select, 2), text(select, 3));
        });
    }

    const Student student = overview.student.value_or(Student{});
    // Oldest first, as a sheet of marks is read.
    for (auto record = overview.history.rbegin(); record != overview.history.rend(); ++record) {
        QStringList row = {csvField(student.nume),         csvField(student.prenume),
                           csvField(student.grupa),        record->when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                           QString::number(record->grade), QString::number(record->correct),
                           QString::number(record->wrong), decimal(record->percentage)};
        const auto& perPart = shares[record->id];
        for (const QString& part : parts) {
            const auto found = perPart.find(part);
            row << (found == perPart.end() || found->second.first == 0
                        ? QString()
                        : decimal(100.0 * found->second.second / found->second.first));
        }
        out += row.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

}  // namespace results
