#include "velmaris-bank/source/source_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>

#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"

namespace bank {
namespace {

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
    const QString relative = picturePath(q.number);
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
    const QString pictures = QString::fromLatin1(kPictureFolder);
    for (const QString& name : QDir(dir.filePath(pictures)).entryList({"*.bmp"}, QDir::Files | QDir::CaseSensitive))
        found << pictures + '/' + name;
    return found;
}

void writeFile(const QDir& dir, const QString& relative, const QByteArray& bytes)
{
    QSaveFile file(dir.filePath(relative));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw BankError(QString("cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

}  // namespace

ExportResult exportSources(const LoadedBank& bank, const QString& folder, bool force)
{
    ExportResult result;
    QList<SourceRecord> records;
    QMap<QString, QByteArray> pictures;
    QMap<qint64, int> uses;
    for (const Question& q : bank.questions) {
        if (!q.numberValid)
            throw BankError(
                QString("%1: a row of Intrebari has Nr_Intreb '%2', not a whole number").arg(bank.path, q.numberText));
        if (q.number < 0 || q.number > 999999)
            throw BankError(QString("%1: Nr_Intreb %2 is out of range").arg(bank.path).arg(q.number));
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
