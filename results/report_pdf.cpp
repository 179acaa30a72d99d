#include "results/report_pdf.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <functional>

#include "results/presentation.h"
#include "store/error.h"

namespace results {

namespace {

constexpr int kDpi = 300;

constexpr qreal mm(qreal millimetres)
{
    return millimetres * kDpi / 25.4;
}

constexpr qreal kPageHeight = mm(297);
constexpr qreal kLeft = mm(20);
constexpr qreal kTop = mm(18);
constexpr qreal kBottom = kPageHeight - mm(20);
constexpr qreal kWidth = mm(210) - 2 * kLeft;

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
    throw store::Error(QStringLiteral("Raportul nu a putut fi scris în %1 (%2). Alegeți alt dosar sau alt nume.")
                           .arg(path, why)
                           .toStdString());
}

// One line of the report: its height and how it paints itself at a top edge.
struct Line {
    qreal height;
    std::function<void(QPainter&, qreal)> paint;
};

Line text(QPaintDevice* device, const QString& s, const QFont& font, qreal after)
{
    const qreal h = QFontMetricsF(font, device).height();
    return {h + after, [=](QPainter& p, qreal top) {
                p.setFont(font);
                p.drawText(QRectF(kLeft, top, kWidth, h), Qt::AlignLeft | Qt::AlignVCenter, s);
            }};
}

// A table row: fields at column offsets (millimetres from the left margin), an optional bar of a share.
Line row(QPaintDevice* device, const QStringList& fields, const QList<qreal>& columns, const QFont& font,
         double share = -1)
{
    const qreal h = QFontMetricsF(font, device).height() * 1.15;
    return {h, [=](QPainter& p, qreal top) {
                p.setFont(font);
                for (qsizetype i = 0; i < fields.size() && i < columns.size(); ++i) {
                    const qreal left = kLeft + mm(columns[i]);
                    const qreal right = i + 1 < columns.size() ? kLeft + mm(columns[i + 1]) - mm(2) : kLeft + kWidth;
                    p.drawText(QRectF(left, top, right - left, h), Qt::AlignLeft | Qt::AlignVCenter, fields[i]);
                }
                if (share >= 0) {
                    const QRectF track(kLeft + kWidth - mm(40), top + h * 0.2, mm(40), h * 0.6);
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

}  // namespace

void writePdfReport(const Overview& overview, const QString& path)
{
    const QFont title = serif(16, true);
    const QFont heading = serif(12, true);
    const QFont body = serif(10);
    const QFont bold = serif(10, true);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        cannotWrite(path, file.errorString());
    QPdfWriter writer(&file);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(QStringLiteral("Rezultatele testelor COLREG"));
    writer.setCreator(QStringLiteral("Velmaris"));

    // The fonts' metrics are the PDF's: sizes in points at the writer's resolution.
    std::vector<Line> lines;
    lines.push_back(text(&writer, QStringLiteral("Rezultatele testelor COLREG"), title, mm(3)));
    const QString who = studentText(overview.student);
    lines.push_back(
        text(&writer, who.isEmpty() ? QStringLiteral("Cursant: (nume necompletat)") : QStringLiteral("Cursant: ") + who,
             body, mm(6)));

    lines.push_back(text(&writer,
                         QStringLiteral("Testele înregistrate (%1), cele mai noi întâi").arg(overview.history.size()),
                         heading, mm(2)));
    const QList<qreal> historyColumns = {0, 38, 55, 80, 100};
    lines.push_back(row(&writer,
                        {QStringLiteral("Data"), QStringLiteral("Nota"), QStringLiteral("Corecte"),
                         QStringLiteral("Procent"), QStringLiteral("Fel")},
                        historyColumns, bold));
    for (const TestRecord& test : overview.history)
        lines.push_back(row(&writer, historyRow(test).fields, historyColumns, body));
    if (overview.history.empty())
        lines.push_back(text(&writer, QStringLiteral("Niciun test înregistrat încă."), body, 0));

    const QList<qreal> weaknessColumns = {0, 45, 70, 95};
    const auto weaknesses = [&](const QString& caption, const std::vector<Weakness>& list) {
        lines.push_back(text(&writer, QString(), body, mm(2)));
        lines.push_back(text(&writer, caption, heading, mm(2)));
        lines.push_back(row(&writer,
                            {QString(), QStringLiteral("Răspunsuri"), QStringLiteral("Greșite"),
                             QStringLiteral("Greșite (ultimele 5)")},
                            weaknessColumns, bold));
        for (const Weakness& w : list)
            lines.push_back(row(&writer, weaknessRow(w).fields, weaknessColumns, body, w.wrongShare));
    };
    weaknesses(QStringLiteral("Părțile COLREG, cele mai slabe întâi"), overview.parts);
    weaknesses(QStringLiteral("Regulile, cele mai slabe întâi"), overview.rules);

    lines.push_back(text(&writer, QString(), body, mm(2)));
    lines.push_back(text(&writer,
                         QStringLiteral("Întrebări greșite și încă nerezolvate (%1)").arg(overview.mistakes.size()),
                         heading, mm(2)));
    for (const Mistake& m : overview.mistakes)
        lines.push_back(row(&writer, mistakeRow(m).fields, {0, 45}, body));

    // Pages first, so that each knows how many there are.
    std::vector<std::vector<std::pair<const Line*, qreal>>> pages(1);
    qreal y = kTop;
    for (const Line& line : lines) {
        if (y + line.height > kBottom && !pages.back().empty()) {
            pages.emplace_back();
            y = kTop;
        }
        pages.back().emplace_back(&line, y);
        y += line.height;
    }
    QPainter p;
    if (!p.begin(&writer))
        cannotWrite(path, file.errorString());
    p.setPen(Qt::black);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        for (const auto& [line, top] : pages[i])
            line->paint(p, top);
        p.setFont(serif(9));
        p.drawText(QRectF(kLeft, kBottom + mm(6), kWidth, mm(6)), Qt::AlignHCenter | Qt::AlignTop,
                   QStringLiteral("Pagina %1 din %2").arg(i + 1).arg(pages.size()));
    }
    if (!p.end() || !file.commit())
        cannotWrite(path, file.errorString());
}

}  // namespace results
