#include "velmaris-bank/print/bank_print.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <memory>

#include "print/a4_document.h"
#include "store/error.h"
#include "testing/question_draw.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"
#include "velmaris-bank/source/source_format.h"

namespace bank {
namespace {

using print::A4Document;
using print::Block;
using print::kContentWidth;
using print::kLeft;
using print::mm;

const QString kFontFamily = QStringLiteral("Liberation Serif");
constexpr qreal kGap = mm(4);
constexpr qreal kMaxPictureWidth = mm(45);
constexpr qreal kMaxPictureHeight = mm(60);

// Romanian counts: "19 întrebări", "20 de întrebări", "101 întrebări".
QString counted(qint64 n, const QString& noun)
{
    const qint64 lastTwo = n % 100;
    const bool de = n != 0 && (lastTwo == 0 || lastTwo >= 20);
    return QString("%1 %2%3").arg(n).arg(de ? "de " : "", noun);
}

QFont serif(qreal points, bool bold = false)
{
    QFont font(kFontFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

// The bank's prints: set in Liberation Serif, which is embedded; numbered from the second page.
class Document {
public:
    Document(const QString& path, const QString& title) : path_(path), doc_(open(path, title)) {}

    QPaintDevice* device() { return doc_.device(); }
    void add(Block block) { doc_.add(std::move(block)); }

    int print()
    {
        try {
            return doc_.print(print::PageNumbers::AllButTheFirst, serif(9));
        } catch (const print::WriteError& e) {
            throw cannotWrite(path_, e.why);
        }
    }

private:
    static BankError cannotWrite(const QString& path, const QString& why)
    {
        return BankError(QString("cannot write %1").arg(path) + (why.isEmpty() ? QString() : ": " + why));
    }

    static A4Document open(const QString& path, const QString& title)
    {
        if (QFontInfo(serif(11)).family() != kFontFamily)
            throw BankError(QString("the font %1 is not installed (Debian: fonts-liberation2)").arg(kFontFamily));
        try {
            return A4Document(path, title, QStringLiteral("velmaris-bank"));
        } catch (const print::WriteError& e) {
            throw cannotWrite(path, e.why);
        }
    }

    QString path_;
    A4Document doc_;
};

qreal textHeight(QPaintDevice* device, const QFont& font, qreal width, const QString& text)
{
    return QFontMetricsF(font, device).boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text).height();
}

Block textBlock(QPaintDevice* device, const QFont& font, const QString& text, qreal after,
                Qt::Alignment align = Qt::AlignLeft)
{
    const qreal h = textHeight(device, font, kContentWidth, text);
    return {h + after, [=](QPainter& p, qreal top) {
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(QRectF(kLeft, top, kContentWidth, h), align | Qt::AlignTop | Qt::TextWordWrap, text);
            }};
}

// The picture enlarged by the largest whole multiple that fits its column, pixel for pixel (device pixels are
// the picture's pixels times the factor), so that no edge is smoothed.
QImage printedPicture(const Question& q)
{
    if (q.picture.isEmpty())
        return {};
    const QImage image = questionPicture(q);
    const int factor = std::max(1, int(std::min(kMaxPictureWidth / image.width(), kMaxPictureHeight / image.height())));
    return image.scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// The lights and shapes of a question's picture in words, when the picture is the one its description draws
// (a picture pasted in the learning window keeps its old description, which no longer tells what it shows).
QString pictureWords(const Question& q)
{
    if (q.picture.isEmpty())
        return {};
    const auto parts = splitPictureLine(q.r2);
    if (!parts)
        return {};
    try {
        const PictureDescription d = parseDescription(parts->second);
        if (d.scene == Scene::File || drawPicture(d) != q.picture)
            return {};
        return pictureInWords(d);
    } catch (const BankError&) {
        return {};
    }
}

// One question: its heading, its text and the three variants, the picture to the right of them; with mono, the
// picture's lights and shapes in words beneath it.
Block questionBlock(QPaintDevice* device, const QString& heading, const Question& q, bool mono)
{
    const QImage picture = printedPicture(q);
    const QString words = mono ? pictureWords(q) : QString();
    const QFont small = serif(9);
    const qreal wordsHeight = words.isEmpty() ? 0 : mm(1) + textHeight(device, small, picture.width(), words);
    const qreal textWidth = picture.isNull() ? kContentWidth : kContentWidth - picture.width() - kGap;
    const QFont bold = serif(11, true);
    const QFont body = serif(11);
    const qreal indent = mm(7);
    const qreal headingHeight = textHeight(device, bold, textWidth, heading);
    const qreal stemHeight = textHeight(device, body, textWidth, q.text);
    const QString variants[] = {q.sol1, q.sol2, q.sol3};
    QList<qreal> variantHeights;
    qreal height = headingHeight + mm(1) + stemHeight + mm(1.5);
    for (const QString& v : variants) {
        variantHeights << textHeight(device, body, textWidth - indent, v);
        height += variantHeights.last() + mm(0.8);
    }
    height = std::max(height, qreal(picture.height()) + wordsHeight) + mm(6);
    return {height, [=](QPainter& p, qreal top) {
                p.setPen(Qt::black);
                qreal y = top;
                p.setFont(bold);
                p.drawText(QRectF(kLeft, y, textWidth, headingHeight), Qt::TextWordWrap, heading);
                y += headingHeight + mm(1);
                p.setFont(body);
                p.drawText(QRectF(kLeft, y, textWidth, stemHeight), Qt::TextWordWrap, q.text);
                y += stemHeight + mm(1.5);
                for (int i = 0; i < 3; ++i) {
                    p.drawText(QRectF(kLeft + mm(2), y, indent, variantHeights[i]), Qt::AlignLeft,
                               QString("%1)").arg(QChar('a' + i)));
                    p.drawText(QRectF(kLeft + indent, y, textWidth - indent, variantHeights[i]), Qt::TextWordWrap,
                               variants[i]);
                    y += variantHeights[i] + mm(0.8);
                }
                if (!picture.isNull()) {
                    // Whole device pixels, so that the picture's pixels map onto whole blocks.
                    const QPoint at(int(kLeft + kContentWidth) - picture.width(), int(top));
                    p.drawImage(at, picture);
                    if (!words.isEmpty()) {
                        p.setFont(small);
                        p.drawText(QRectF(at.x(), at.y() + picture.height() + mm(1), picture.width(), wordsHeight),
                                   Qt::TextWordWrap, words);
                    }
                }
            }};
}

// A grid of cells, row after row, the first row bold; each row is a block, so a long table runs on.
QList<Block> table(const QStringList& header, const QList<QStringList>& rows, const QList<qreal>& widths)
{
    QList<Block> blocks;
    const qreal rowHeight = mm(6.5);
    const auto rowBlock = [&](const QStringList& cells, bool bold) {
        return Block{rowHeight, [=](QPainter& p, qreal top) {
                         p.setFont(serif(10.5, bold));
                         p.setPen(QPen(Qt::black, mm(0.2)));
                         qreal x = kLeft;
                         for (qsizetype i = 0; i < widths.size(); ++i) {
                             const QRectF cell(x, top, widths[i], rowHeight);
                             p.drawRect(cell);
                             if (i < cells.size())
                                 p.drawText(cell, Qt::AlignCenter, cells[i]);
                             x += widths[i];
                         }
                     }};
    };
    blocks << rowBlock(header, true);
    for (const QStringList& r : rows)
        blocks << rowBlock(r, false);
    return blocks;
}

}  // namespace

int printBank(const QList<Question>& questions, const QString& path, bool mono, const PrintProgress& progress)
{
    Document doc(path, QStringLiteral("RIPPAM – banca de întrebări"));
    QPaintDevice* device = doc.device();
    const qsizetype pictures =
        std::count_if(questions.begin(), questions.end(), [](const Question& q) { return !q.picture.isEmpty(); });

    Block spacer{mm(60), [](QPainter&, qreal) {}};
    doc.add(spacer);
    doc.add(textBlock(device, serif(22, true),
                      QStringLiteral("Regulamentul internațional pentru prevenirea abordajelor pe mare"), mm(6),
                      Qt::AlignHCenter));
    doc.add(
        textBlock(device, serif(16), QStringLiteral("RIPPAM – banca de întrebări Velmaris"), mm(20), Qt::AlignHCenter));
    doc.add(
        textBlock(device, serif(12),
                  QString("%1, dintre care %2 cu imagine.").arg(counted(questions.size(), "întrebări")).arg(pictures),
                  mm(4), Qt::AlignHCenter));
    doc.add(textBlock(device, serif(12),
                      QStringLiteral("Fiecare întrebare are numărul și regula pe care o verifică; "
                                     "cheia răspunsurilor este la sfârșit."),
                      0, Qt::AlignHCenter));

    for (qsizetype i = 0; i < questions.size(); ++i) {
        const Question& q = questions[i];
        QString heading = QString("Întrebarea %1").arg(q.number);
        if (!q.r1.isEmpty())
            heading += " – " + ruleTitle(q.r1);
        Block b = questionBlock(device, heading, q, mono);
        b.newPage = i == 0;
        doc.add(b);
        if (progress)
            progress(int(i + 1), int(questions.size()));
    }

    Block keyTitle = textBlock(device, serif(14, true), QStringLiteral("Cheia răspunsurilor"), mm(4));
    keyTitle.newPage = true;
    doc.add(keyTitle);
    constexpr int kPairs = 8;
    QStringList header;
    QList<qreal> widths;
    for (int c = 0; c < kPairs; ++c) {
        header << "Nr."
               << "Răsp.";
        widths << kContentWidth / kPairs * 0.55 << kContentWidth / kPairs * 0.45;
    }
    QList<QStringList> rows;
    for (qsizetype i = 0; i < questions.size(); i += kPairs) {
        QStringList row;
        for (qsizetype j = i; j < std::min(i + kPairs, questions.size()); ++j)
            row << QString::number(questions[j].number) << questions[j].rb;
        rows << row;
    }
    for (Block& b : table(header, rows, widths))
        doc.add(b);
    return doc.print();
}

QList<qint64> drawSheet(const QList<Question>& questions, std::uint32_t seed)
{
    QHash<qint64, const Question*> byNumber;
    for (const Question& q : questions)
        byNumber.insert(q.number, &q);
    selftest::QuestionDraw generator(seed);
    selftest::num numere{};
    selftest::drawDistinct(numere, generator);
    std::vector<std::int32_t> chosen;
    try {
        chosen = selftest::chooseQuestions(
            numere, [&](std::int32_t n) { return byNumber.contains(n); }, generator);
    } catch (const store::Error& e) {
        throw BankError(QString::fromStdString(e.what()));
    }
    return QList<qint64>(chosen.begin(), chosen.end());
}

int printSheet(const QList<Question>& questions, std::uint32_t seed, const QString& path, bool mono)
{
    const QList<qint64> drawn = drawSheet(questions, seed);
    QHash<qint64, const Question*> byNumber;
    for (const Question& q : questions)
        byNumber.insert(q.number, &q);

    Document doc(path, QString("RIPPAM – test, varianta %1").arg(seed));
    QPaintDevice* device = doc.device();
    doc.add(textBlock(device, serif(18, true), QStringLiteral("Test RIPPAM"), mm(2), Qt::AlignHCenter));
    doc.add(textBlock(device, serif(12), QString("Varianta %1 · %2").arg(seed).arg(counted(drawn.size(), "întrebări")),
                      mm(8), Qt::AlignHCenter));
    doc.add(textBlock(device, serif(12),
                      QStringLiteral("Numele și prenumele: ________________________________    "
                                     "Data: ______________"),
                      mm(8)));
    doc.add(textBlock(device, serif(11),
                      QStringLiteral("Fiecare întrebare are un singur răspuns corect. Marcați cu X, în grila de mai "
                                     "jos, litera răspunsului ales."),
                      mm(5)));

    // The answer grid: three columns of ten rows, a box for each letter.
    constexpr int kRows = 10;
    const qreal rowHeight = mm(8);
    const int columns = int((drawn.size() + kRows - 1) / kRows);
    const int count = int(drawn.size());
    doc.add(Block{rowHeight * kRows + mm(6), [=](QPainter& p, qreal top) {
                      const qreal columnWidth = kContentWidth / std::max(columns, 1);
                      const qreal box = mm(5);
                      p.setPen(QPen(Qt::black, mm(0.25)));
                      for (int i = 0; i < count; ++i) {
                          const qreal x = kLeft + (i / kRows) * columnWidth;
                          const qreal y = top + (i % kRows) * rowHeight;
                          p.setFont(serif(11, true));
                          p.drawText(QRectF(x, y, mm(10), rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                                     QString("%1.").arg(i + 1));
                          p.setFont(serif(11));
                          for (int l = 0; l < 3; ++l) {
                              const qreal bx = x + mm(14) + l * mm(13);
                              p.drawText(QRectF(bx, y, mm(4), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                                         QString(QChar('a' + l)));
                              p.drawRect(QRectF(bx + mm(4), y + (rowHeight - box) / 2, box, box));
                          }
                      }
                  }});

    for (qsizetype i = 0; i < drawn.size(); ++i)
        doc.add(questionBlock(device, QString("%1.").arg(i + 1), *byNumber.value(drawn[i]), mono));

    Block keyTitle = textBlock(device, serif(14, true), QString("Cheia testului – varianta %1").arg(seed), mm(4));
    keyTitle.newPage = true;
    doc.add(keyTitle);
    QList<QStringList> rows;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const Question& q = *byNumber.value(drawn[i]);
        rows << QStringList{QString::number(i + 1), QString::number(q.number), ruleTitle(q.r1), q.rb};
    }
    const QList<qreal> widths = {kContentWidth * 0.15, kContentWidth * 0.2, kContentWidth * 0.45, kContentWidth * 0.2};
    for (Block& b : table({"Nr. în test", "Întrebarea", "Regula", "Răspuns"}, rows, widths))
        doc.add(b);
    return doc.print();
}

}  // namespace bank
