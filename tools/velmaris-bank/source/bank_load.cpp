#include "velmaris-bank/source/bank_load.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "store/schema.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"
#include "velmaris-bank/source/bank_database.h"

namespace bank {
namespace {

QByteArray readPictureFile(const QString& folder, qint64 number)
{
    const QString relative = picturePath(number);
    QFile file(QDir(folder).filePath(relative));
    if (!file.open(QIODevice::ReadOnly))
        throw BankError(QString("%1 cannot be read: %2").arg(relative, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        throw BankError(QString("%1 is empty").arg(relative));
    return bytes;
}

QByteArray pictureFor(const QString& folder, const SourceRecord& r)
{
    const auto parts = splitPictureLine(*r.picture);
    if (!parts)
        throw BankError("expected 'NNN.bmp | description'");
    const PictureDescription description = parseDescription(parts->second);
    if (description.scene == Scene::File)
        return readPictureFile(folder, r.number);
    return drawPicture(description);
}

// The version stamp of the file VERSION; a fault when it is not a whole number from 1 up to the largest
// the file's stamp holds (the bits above it count the tables' own upgrades).
void readVersion(const QString& folder, LoadedBank& out)
{
    QFile stamp(QDir(folder).filePath("VERSION"));
    if (!stamp.exists())
        return;
    bool ok = stamp.open(QIODevice::ReadOnly);
    out.version = ok ? QString::fromUtf8(stamp.readAll()).trimmed().toInt(&ok) : 0;
    constexpr int largest = (1 << store::kContentStampBits) - 1;
    if (!ok || out.version < 1 || out.version > largest)
        out.faults.append(
            {"VERSION", 1, QStringLiteral("the version stamp must be a whole number from 1 up to %1").arg(largest)});
}

LoadedBank assembleSources(const QString& folder, const Progress& progress)
{
    const SourceBank bank = readSourceFolder(folder);
    LoadedBank out;
    out.files = int(bank.files.size());
    out.faults = bank.faults;
    readVersion(folder, out);
    const int total = int(std::count_if(bank.records.begin(), bank.records.end(),
                                        [](const SourceRecord& r) { return r.picture.has_value(); }));

    const QList<SourceRecord>& records = bank.records;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const SourceRecord& r = records[i];
        const bool first = i == 0 || records[i - 1].file != r.file;
        const bool last = i + 1 == records.size() || records[i + 1].file != r.file;
        Question q;
        q.number = r.number;
        q.text = r.question;
        q.sol1 = r.a;
        q.sol2 = r.b;
        q.sol3 = r.c;
        q.r1 = r.rule;
        q.r2 = r.picture.value_or(QString());
        q.r3 = layoutToText(r.layout, first, last);
        q.rb = r.key;
        if (r.picture) {
            try {
                q.picture = pictureFor(folder, r);
            } catch (const BankError& e) {
                out.faults.append({r.file, r.pictureLine, "cannot make the picture: " + e.message()});
            }
            ++out.pictures;
            if (progress)
                progress(out.pictures, total);
        }
        out.questions.append(q);
    }
    std::stable_sort(out.questions.begin(), out.questions.end(),
                     [](const Question& a, const Question& b) { return a.number < b.number; });
    return out;
}

}  // namespace

LoadedBank loadBank(const QString& path, BankFrom from, const Progress& progress)
{
    const bool sources = from == BankFrom::Sources || (from == BankFrom::Either && QFileInfo(path).isDir());
    LoadedBank loaded;
    if (sources) {
        loaded = assembleSources(path, progress);
    } else {
        loaded.questions = readDatabase(path);
    }
    loaded.path = path;
    return loaded;
}

}  // namespace bank
