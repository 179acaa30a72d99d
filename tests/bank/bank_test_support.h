#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>

#include <algorithm>

#include "velmaris-bank/bank/bank_parts.h"
#include "velmaris-bank/bank/question.h"

namespace banktest {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Windows' C library writes "\r\n" for each "\n" on the standard streams.
inline QString lines(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

// The velmaris-bank executable run with these arguments; status -1 when it crashed or hung.
inline ToolRun tool(const QStringList& args,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(VELMARIS_BANK_EXE), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, lines(p.readAllStandardOutput()),
            lines(p.readAllStandardError())};
}

// A connected patch of one exact colour in a picture.
struct Blob {
    QRect box;
    int pixels = 0;
    int cx() const { return box.left() + box.width() / 2; }
    int cy() const { return box.top() + box.height() / 2; }
};

// The 4-connected patches of exactly this colour, top to bottom, then left to right.
inline QList<Blob> blobs(const QImage& image, QRgb colour)
{
    QList<Blob> found;
    QList<bool> seen(qsizetype(image.width()) * image.height(), false);
    const auto at = [&](int x, int y) { return qsizetype(y) * image.width() + x; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (seen[at(x, y)] || image.pixel(x, y) != colour)
                continue;
            Blob blob;
            blob.box = QRect(x, y, 1, 1);
            QList<QPoint> stack{{x, y}};
            seen[at(x, y)] = true;
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                ++blob.pixels;
                blob.box = blob.box.united(QRect(p, QSize(1, 1)));
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (image.valid(q) && !seen[at(q.x(), q.y())] && image.pixel(q) == colour) {
                        seen[at(q.x(), q.y())] = true;
                        stack.append(q);
                    }
                }
            }
            found.append(blob);
        }
    std::sort(found.begin(), found.end(),
              [](const Blob& a, const Blob& b) { return a.cy() != b.cy() ? a.cy() < b.cy() : a.cx() < b.cx(); });
    return found;
}

// A complete bank that meets every rule: keys A B C repeating give 92/91/91 and an even spread per Part.
inline QList<bank::Question> validBank()
{
    QList<bank::Question> questions;
    for (int n = bank::kFirstNumber; n <= bank::kLastNumber; ++n) {
        bank::Question q;
        q.number = n;
        q.text = QString("Întrebarea %1: ce arată semnalul navei dumneavoastră?").arg(n);
        q.sol1 = QString("Prima variantă, cu ș și ț (%1)").arg(n);
        q.sol2 = QString("A doua variantă (%1)").arg(n);
        q.sol3 = QString("A treia variantă (%1)").arg(n);
        q.r1 = "23(a)";
        q.r3 = "{\"file\":\"bank.txt\"}";
        q.rb = QString(QChar("ABC"[n % 3]));
        questions.append(q);
    }
    return questions;
}

}  // namespace banktest
