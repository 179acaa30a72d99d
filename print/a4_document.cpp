#include "print/a4_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>

namespace print {

WriteError::WriteError(const QString& reason) : std::runtime_error(reason.toStdString()), why(reason) {}

A4Document::A4Document(const QString& path, const QString& title, const QString& creator)
    : file_(path), writer_(open(file_))
{
    writer_.setResolution(kDpi);
    writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer_.setTitle(title);
    writer_.setCreator(creator);
}

QIODevice* A4Document::open(QSaveFile& file)
{
    if (!file.open(QIODevice::WriteOnly))
        throw WriteError(file.errorString());
    return &file;
}

int A4Document::print(PageNumbers numbers, const QFont& numberFont)
{
    // Pages first, so that each page knows how many there are.
    std::vector<std::vector<std::pair<const Block*, qreal>>> pages(1);
    qreal y = kTop;
    for (const Block& b : blocks_) {
        const bool fits = y + b.height <= kBottom || y == kTop;
        if ((b.newPage || !fits) && !pages.back().empty()) {
            pages.emplace_back();
            y = kTop;
        }
        pages.back().emplace_back(&b, y);
        y += b.height;
    }
    QPainter painter;
    if (!painter.begin(&writer_))
        throw WriteError(QString());
    painter.setPen(Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::LosslessImageRendering, true);  // JPEG would blur a picture's lights
    for (std::size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            writer_.newPage();
        for (const auto& [block, top] : pages[p])
            block->paint(painter, top);
        if (p > 0 || numbers == PageNumbers::EveryPage) {
            painter.setFont(numberFont);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(kLeft, kBottom + mm(6), kContentWidth, mm(6)), Qt::AlignHCenter | Qt::AlignTop,
                             QStringLiteral("Pagina %1 din %2").arg(p + 1).arg(pages.size()));
        }
    }
    if (!painter.end() || !file_.commit())
        throw WriteError(file_.errorString());
    return static_cast<int>(pages.size());
}

}  // namespace print
