#include "results/report_pdf.h"

#include <QFontMetricsF>
#include <QPainter>

#include "print/a4_document.h"
#include "results/presentation.h"
#include "store/error.h"

namespace results {

namespace {

using print::Block;
using print::kContentWidth;
using print::kLeft;
using print::mm;

// The family the windows ask for: the metric-compatible Liberation face on Linux, itself on Windows.
QFont serif(qreal points, bool bold = false)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

[[noreturn]] void cannotWrite(const QString& path, const QString& why)
{
    const QString reason = why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why);
    throw store::Error(QStringLiteral("Raportul nu a putut fi scris în %1%2. Alegeți alt dosar sau alt nume.")
                           .arg(path, reason)
                           .toStdString());
}

// One line of the report.
Block text(QPaintDevice* device, const QString& s, const QFont& font, qreal after)
{
    const qreal h = QFontMetricsF(font, device).height();
    return {h + after, [=](QPainter& p, qreal top) {
                p.setFont(font);
                p.drawText(QRectF(kLeft, top, kContentWidth, h), Qt::AlignLeft | Qt::AlignVCenter, s);
            }};
}

// A table row: fields at column offsets (millimetres from the left margin), an optional bar of a share.
Block row(QPaintDevice* device, const QStringList& fields, const QList<qreal>& columns, const QFont& font,
          double share = -1)
{
    const qreal h = QFontMetricsF(font, device).height() * 1.15;
    return {h, [=](QPainter& p, qreal top) {
                p.setFont(font);
                for (qsizetype i = 0; i < fields.size() && i < columns.size(); ++i) {
                    const qreal left = kLeft + mm(columns[i]);
                    const qreal right =
                        i + 1 < columns.size() ? kLeft + mm(columns[i + 1]) - mm(2) : kLeft + kContentWidth;
                    p.drawText(QRectF(left, top, right - left, h), Qt::AlignLeft | Qt::AlignVCenter, fields[i]);
                }
                if (share >= 0) {
                    const QRectF track(kLeft + kContentWidth - mm(40), top + h * 0.2, mm(40), h * 0.6);
                    p.save();
                    p.setPen(QPen(Qt::black, mm(0.15)));
                    p.drawRect(track);
                    p.fillRect(
                        QRectF(track.left(), track.top(), track.width() * std::clamp(share, 0.0, 1.0), track.height()),
                        Qt::darkGray);
                    p.restore();
                }
            }};
}

// The report's lines, in order: the cadet, the history, the Parts and Rules, the mistakes.
void lay(const Overview& overview, print::A4Document& document)
{
    const QFont title = serif(16, true);
    const QFont heading = serif(12, true);
    const QFont body = serif(10);
    const QFont bold = serif(10, true);

    // The fonts' metrics are the PDF's: sizes in points at the writer's resolution.
    QPaintDevice* device = document.device();
    document.add(text(device, QStringLiteral("Rezultatele testelor COLREG"), title, mm(3)));
    const QString who = studentText(overview.student);
    document.add(text(device,
                      who.isEmpty() ? QStringLiteral("Cursant: (nume necompletat)") : QStringLiteral("Cursant: ") + who,
                      body, mm(6)));

    document.add(text(device,
                      QStringLiteral("Testele înregistrate (%1), cele mai noi întâi").arg(overview.history.size()),
                      heading, mm(2)));
    const QList<qreal> historyColumns = {0, 38, 55, 80, 100};
    document.add(row(device,
                     {QStringLiteral("Data"), QStringLiteral("Nota"), QStringLiteral("Corecte"),
                      QStringLiteral("Procent"), QStringLiteral("Fel")},
                     historyColumns, bold));
    for (const TestRecord& test : overview.history)
        document.add(row(device, historyRow(test).fields, historyColumns, body));
    if (overview.history.empty())
        document.add(text(device, QStringLiteral("Niciun test înregistrat încă."), body, 0));

    const QList<qreal> weaknessColumns = {0, 45, 70, 95};
    const auto weaknesses = [&](const QString& caption, const std::vector<Weakness>& list) {
        document.add(text(device, QString(), body, mm(2)));
        document.add(text(device, caption, heading, mm(2)));
        document.add(row(device,
                         {QString(), QStringLiteral("Răspunsuri"), QStringLiteral("Greșite"),
                          QStringLiteral("Greșite (ultimele 5)")},
                         weaknessColumns, bold));
        for (const Weakness& w : list)
            document.add(row(device, weaknessRow(w).fields, weaknessColumns, body, w.wrongShare));
    };
    weaknesses(QStringLiteral("Părțile COLREG, cele mai slabe întâi"), overview.parts);
    weaknesses(QStringLiteral("Regulile, cele mai slabe întâi"), overview.rules);

    document.add(text(device, QString(), body, mm(2)));
    document.add(text(device,
                      QStringLiteral("Întrebări greșite și încă nerezolvate (%1)").arg(overview.mistakes.size()),
                      heading, mm(2)));
    for (const Mistake& m : overview.mistakes)
        document.add(row(device, mistakeRow(m).fields, {0, 45}, body));
}

}  // namespace

void writePdfReport(const Overview& overview, const QString& path)
{
    try {
        print::A4Document document(path, QStringLiteral("Rezultatele testelor COLREG"), QStringLiteral("Velmaris"));
        lay(overview, document);
        document.print(print::PageNumbers::EveryPage, serif(9));
    } catch (const print::WriteError& e) {
        cannotWrite(path, e.why);
    }
}

}  // namespace results
