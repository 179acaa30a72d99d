#include "bank_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

#include "bank_database.h"
#include "bank_error.h"
#include "picture_description.h"
#include "picture_generator.h"

namespace bank {
namespace {

const QString kPictureFolder = QStringLiteral("pictures");

QByteArray readPictureFile(const QString& folder, qint64 number)
{
    const QString relative = kPictureFolder + '/' + pictureFileName(number);
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

// One source line holds one field: line breaks typed into the database become spaces.
QString oneLine(const QString& text, const QString& where, const char* field, QStringList& warnings)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    if (!text.contains(breaks))
        return text;
    warnings << QString("%1: line break in %2 replaced by a space").arg(where, QLatin1String(field));
    return QString(text).replace(breaks, QStringLiteral(" "));
}

// The PIC line of an exported record: its description when it still draws the stored picture, otherwise a
// file scene and the bytes in pictures/.
QString exportedPicture(const Question& q, const QString& where, QMap<QString, QByteArray>& pictures,
                        QStringList& warnings)
{
    const QString name = pictureFileName(q.number);
    const QString relative = kPictureFolder + '/' + name;
    const auto parts = splitPictureLine(q.r2);
    if (parts && parts->first == name) {
        try {
            const PictureDescription description = parseDescription(parts->second);
            if (description.scene == Scene::File) {
                pictures.insert(relative, q.picture);
                return q.r2;
            }
            if (drawPicture(description) == q.picture)
                return q.r2;
            warnings
                << QString("%1: the picture is not what '%2' draws; written to %3").arg(where, parts->second, relative);
        } catch (const BankError&) {
            warnings << QString("%1: R2 '%2' is not a picture description; the picture is written to %3")
                            .arg(where, q.r2, relative);
        }
    } else if (!q.r2.isEmpty()) {
        warnings
            << QString("%1: R2 '%2' does not name %3; the picture is written to %4").arg(where, q.r2, name, relative);
    }
    pictures.insert(relative, q.picture);
    return name + " | file";
}

QStringList existingSources(const QDir& dir)
{
    QStringList found;
    for (const QString& name : dir.entryList({"*.txt"}, QDir::Files | QDir::CaseSensitive))
        found << name;
    for (const QString& name :
         QDir(dir.filePath(kPictureFolder)).entryList({"*.bmp"}, QDir::Files | QDir::CaseSensitive))
        found << kPictureFolder + '/' + name;
    return found;
}

void writeFile(const QDir& dir, const QString& relative, const QByteArray& bytes)
{
    QSaveFile file(dir.filePath(relative));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw BankError(QString("cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

}  // namespace

Assembled assembleSources(const QString& folder, const Progress& progress)
{
    const SourceBank bank = readSourceFolder(folder);
    Assembled out;
    out.files = int(bank.files.size());
    out.faults = bank.faults;
    QFile stamp(QDir(folder).filePath("VERSION"));
    if (stamp.exists()) {
        bool ok = stamp.open(QIODevice::ReadOnly);
        out.version = ok ? QString::fromUtf8(stamp.readAll()).trimmed().toInt(&ok) : 0;
        if (!ok || out.version < 1)
            out.faults.append({"VERSION", 1, "the version stamp must be a whole number from 1 up"});
    }
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

ExportResult exportDatabase(const QString& databasePath, const QString& folder, bool force)
{
    const QList<Question> questions = readDatabase(databasePath);
    ExportResult result;
    QList<SourceRecord> records;
    QMap<QString, QByteArray> pictures;
    QMap<qint64, int> uses;
    for (const Question& q : questions) {
        if (!q.numberValid)
            throw BankError(QString("%1: a row of Intrebari has Nr_Intreb '%2', not a whole number")
                                .arg(databasePath, q.numberText));
        if (q.number < 0 || q.number > 999999)
            throw BankError(QString("%1: Nr_Intreb %2 is out of range").arg(databasePath).arg(q.number));
        const QString where = QString("%1").arg(q.number, 3, 10, QChar('0'));
        QStringList& warnings = result.warnings;
        if (++uses[q.number] == 2)
            warnings << QString("%1: the number is used more than once; build will refuse it").arg(where);
        if (q.rb != "A" && q.rb != "B" && q.rb != "C")
            warnings << QString("%1: Rb is '%2'; build will refuse it until it is A, B or C").arg(where, q.rb);

        SourceRecord r;
        r.number = int(q.number);
        r.rule = oneLine(q.r1, where, "R1", warnings);
        r.question = oneLine(q.text, where, "Intrebare", warnings);
        r.a = oneLine(q.sol1, where, "Sol1", warnings);
        r.b = oneLine(q.sol2, where, "Sol2", warnings);
        r.c = oneLine(q.sol3, where, "Sol3", warnings);
        r.key = oneLine(q.rb, where, "Rb", warnings);
        r.layout = layoutFromText(q.r3, q.number);
        if (!q.picture.isEmpty())
            r.picture = exportedPicture(q, where, pictures, warnings);
        else if (!q.r2.isEmpty())
            warnings << QString("%1: Poza is empty; the PIC line '%2' is left out").arg(where, q.r2);
        records.append(r);
    }

    QMap<QString, QByteArray> output;
    for (const SourceFile& f : writeSourceFiles(records))
        output.insert(f.name, f.bytes);
    output.insert(pictures);

    const QDir dir(folder);
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        throw BankError(QString("%1 is not a folder").arg(folder));
    const QStringList existing = existingSources(dir);
    if (!existing.isEmpty() && !force)
        throw BankError(QString("%1 already holds bank sources (%2 files); use --force to replace them")
                            .arg(folder)
                            .arg(existing.size()));
    if (!dir.mkpath(".") || (!pictures.isEmpty() && !dir.mkpath(kPictureFolder)))
        throw BankError(QString("cannot create %1").arg(folder));
    for (auto it = output.begin(); it != output.end(); ++it) {
        writeFile(dir, it.key(), it.value());
        result.written << it.key();
    }
    for (const QString& stale : existing) {
        if (output.contains(stale))
            continue;
        if (!QFile::remove(dir.filePath(stale)))
            throw BankError(QString("cannot remove the old %1").arg(dir.filePath(stale)));
        result.removed << stale;
    }
    return result;
}

}  // namespace bank
