#include "bench/bench_bank.h"

#include <QImage>
#include <QPainter>

#include "store/picture.h"

namespace bench {

const std::string& questionPicture()
{
    static const std::string bytes = [] {
        QImage image(160, 200, QImage::Format_ARGB32);
        image.fill(QColor(0x0B, 0x16, 0x33));
        QPainter painter(&image);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(80, 100), 3, 3);
        painter.end();
        return store::encodeBmp(image).toStdString();
    }();
    return bytes;
}

std::unique_ptr<fixture::Folder> makeBank()
{
    auto folder = std::make_unique<fixture::Folder>();
    auto questions = fixture::sampleQuestions(274);
    for (auto& q : questions) {
        q.text += " — o întrebare de lungime obișnuită despre luminile și semnalele unei nave în marș";
        if (q.number % 7 < 2 || q.number % 29 == 3)
            q.picture = questionPicture();
    }
    folder->writeDatabase(questions);
    return folder;
}

}  // namespace bench
