#include "velmaris-bank/bank_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include "velmaris-bank/aiken.h"
#include "velmaris-bank/bank_error.h"
#include "velmaris-bank/gift.h"
#include "velmaris-bank/moodle_xml.h"
#include "velmaris-bank/source_format.h"

namespace bank {
namespace {

// Every number the folder's sources use, read from their NR: lines so that a record with a fault still counts.
QSet<int> numbersIn(const QString& folder)
{
    static const QRegularExpression nr(QStringLiteral("^NR:[ \\t]*(\\d{1,6})"), QRegularExpression::MultilineOption);
    QSet<int> numbers;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.txt"}, QDir::Files | QDir::CaseSensitive)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            throw BankError(QString("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        const QString text = QString::fromUtf8(file.readAll());
        for (auto it = nr.globalMatch(text); it.hasNext();)
            numbers.insert(it.next().captured(1).toInt());
    }
    return numbers;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw BankError(QString("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace

std::optional<ExchangeFormat> formatFromName(const QString& name)
{
    for (const ExchangeFormat format : {ExchangeFormat::MoodleXml, ExchangeFormat::Gift, ExchangeFormat::Aiken})
        if (name == formatName(format))
            return format;
    return std::nullopt;
}

QString formatName(ExchangeFormat format)
{
    switch (format) {
        case ExchangeFormat::MoodleXml:
            return QStringLiteral("moodle-xml");
        case ExchangeFormat::Gift:
            return QStringLiteral("gift");
        case ExchangeFormat::Aiken:
            return QStringLiteral("aiken");
    }
    return {};
}

ExchangeFormat guessFormat(const QString& path, const QByteArray& bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "xml")
        return ExchangeFormat::MoodleXml;
    if (suffix == "gift")
        return ExchangeFormat::Gift;
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    if (body.trimmed().startsWith('<'))
        return ExchangeFormat::MoodleXml;
    static const QRegularExpression answerLine(QStringLiteral("^ANSWER:"), QRegularExpression::MultilineOption);
    static const QRegularExpression braceBlock(QStringLiteral("(^|[^\\\\])\\{"));
    const QString text = QString::fromUtf8(body);
    if (text.contains(answerLine) && !text.contains(braceBlock))
        return ExchangeFormat::Aiken;
    return ExchangeFormat::Gift;
}

ReadExchange readExchangeFile(const QString& path, std::optional<ExchangeFormat> format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BankError(QString("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    QList<ImportedQuestion> questions;
    try {
        switch (format.value_or(guessFormat(path, bytes))) {
            case ExchangeFormat::MoodleXml:
                questions = readMoodleXml(bytes);
                break;
            case ExchangeFormat::Gift:
                questions = readGift(bytes);
                break;
            case ExchangeFormat::Aiken:
                questions = readAiken(bytes);
                break;
        }
    } catch (const BankError& e) {
        throw BankError(QString("%1:%2").arg(path, e.message().startsWith("line ") ? e.message().mid(5) : e.message()));
    }
    ReadExchange read;
    for (ImportedQuestion& q : questions) {
        const QString key = correctLetter(q);
        if (q.problem.isEmpty()) {
            read.valid.append(q);
            read.keys.append(key);
        } else {
            read.invalid.append(q);
        }
    }
    return read;
}

ImportResult writeImported(const ReadExchange& read, const QString& folder, std::optional<int> first)
{
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        throw BankError(QString("%1 is not a folder").arg(folder));
    const QSet<int> taken = QFileInfo(folder).isDir() ? numbersIn(folder) : QSet<int>();
    int next = 0;
    if (first) {
        next = *first;
    } else {
        for (const int n : taken)
            next = std::max(next, n + 1);
    }
    ImportResult result;
    result.first = next;
    result.last = next + int(read.valid.size()) - 1;
    if (result.last > 999999)
        throw BankError(QString("the numbers would run past 999999"));
    for (int n = result.first; n <= result.last; ++n)
        if (taken.contains(n))
            throw BankError(QString("number %1 is already used in %2; choose another --first").arg(n).arg(folder));

    const QDir dir(folder);
    result.file =
        QString("%1-%2-importate.txt").arg(result.first, 3, 10, QChar('0')).arg(result.last, 3, 10, QChar('0'));
    if (QFileInfo::exists(dir.filePath(result.file)))
        throw BankError(QString("%1 exists already").arg(dir.filePath(result.file)));

    QList<SourceRecord> records;
    QList<QPair<QString, QByteArray>> pictures;
    for (qsizetype i = 0; i < read.valid.size(); ++i) {
        const ImportedQuestion& q = read.valid[i];
        SourceRecord r;
        r.number = result.first + int(i);
        r.rule = oneLineText(q.rule);
        r.question = q.text;
        r.a = q.answers[0].text;
        r.b = q.answers[1].text;
        r.c = q.answers[2].text;
        r.key = read.keys[i];
        r.layout.file = result.file;
        if (!q.picture.isNull()) {
            const QString relative = picturePath(r.number);
            if (QFileInfo::exists(dir.filePath(relative)))
                throw BankError(QString("%1 exists already").arg(dir.filePath(relative)));
            r.picture = pictureFileName(r.number) + " | file";
            pictures.append({relative, bankPicture(q.picture)});
        }
        records.append(r);
    }
    const QList<SourceFile> files = writeSourceFiles(records);

    if (!dir.mkpath(".") || (!pictures.isEmpty() && !dir.mkpath(kPictureFolder)))
        throw BankError(QString("cannot create %1").arg(folder));
    for (const auto& [relative, bytes] : pictures) {
        writeFile(dir.filePath(relative), bytes);
        result.pictures << relative;
    }
    for (const SourceFile& f : files)
        writeFile(dir.filePath(f.name), f.bytes);
    return result;
}

}  // namespace bank
