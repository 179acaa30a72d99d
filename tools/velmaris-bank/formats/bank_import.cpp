#include "velmaris-bank/formats/bank_import.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <numeric>

#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/gift.h"
#include "velmaris-bank/formats/moodle_xml.h"
#include "velmaris-bank/source/source_format.h"

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

SourceRecord recordOf(const ImportedQuestion& q, const QString& key, int number, const QString& file)
{
    SourceRecord r;
    r.number = number;
    r.rule = oneLineText(q.rule);
    r.question = q.text;
    r.a = q.answers[0].text;
    r.b = q.answers[1].text;
    r.c = q.answers[2].text;
    r.key = key;
    r.layout.file = file;
    if (!q.picture.isEmpty())
        r.picture = pictureFileName(number) + " | file";
    return r;
}

// Why the question's record would not read back from a source file as written, or empty. A record of its own,
// so that the fault is this question's.
QString readBackProblem(const ImportedQuestion& q, const QString& key)
{
    const QString file = QStringLiteral("000-000-importate.txt");
    const SourceRecord written = recordOf(q, key, 0, file);
    SourceBank back;
    parseSourceFile(file, writeSourceFiles({written}).constFirst().bytes, back);
    if (!back.faults.isEmpty())
        return "its record would not read back: " + back.faults.constFirst().fault;
    const SourceRecord& r = back.records.value(0);
    if (back.records.size() != 1 || r.rule != written.rule || r.question != written.question || r.a != written.a ||
        r.b != written.b || r.c != written.c || r.key != written.key || r.picture != written.picture)
        return "its record would not read back as written";
    return {};
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

ExchangeFormat guessFormat(const QString& path, QByteArrayView bytes)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "xml")
        return ExchangeFormat::MoodleXml;
    if (suffix == "gift")
        return ExchangeFormat::Gift;
    // Looked at in place: the file may be large.
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    if (body.trimmed().startsWith('<'))
        return ExchangeFormat::MoodleXml;
    const bool answerLine = body.startsWith("ANSWER:") || body.indexOf("\nANSWER:") >= 0;
    bool braceBlock = false;
    for (qsizetype at = body.indexOf('{'); at >= 0 && !braceBlock; at = body.indexOf('{', at + 1))
        braceBlock = at == 0 || body[at - 1] != '\\';
    if (answerLine && !braceBlock)
        return ExchangeFormat::Aiken;
    return ExchangeFormat::Gift;
}

ReadExchange sortQuestions(QList<ImportedQuestion> questions)
{
    ReadExchange read;
    for (ImportedQuestion& q : questions) {
        const QString key = correctLetter(q);
        if (q.problem.isEmpty())
            q.problem = readBackProblem(q, key);
        if (q.problem.isEmpty()) {
            read.valid.append(std::move(q));
            read.keys.append(key);
        } else {
            // Only the name, the line and the problem are reported.
            q.text.clear();
            q.answers.clear();
            q.picture.clear();
            read.invalid.append(std::move(q));
        }
    }
    return read;
}

ReadExchange readExchangeFile(const QString& path, std::optional<ExchangeFormat> format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BankError(QString("cannot read %1: %2").arg(path, file.errorString()));
    QList<ImportedQuestion> questions;
    try {
        // Moodle XML is read from the file as it goes (its start tells it apart); the text formats are read
        // whole, line by line in place.
        std::optional<ExchangeFormat> chosen = format;
        if (!chosen && guessFormat(path, file.peek(4096)) == ExchangeFormat::MoodleXml)
            chosen = ExchangeFormat::MoodleXml;
        if (chosen == ExchangeFormat::MoodleXml) {
            questions = readMoodleXmlFrom(file);
        } else {
            const QByteArray bytes = file.readAll();
            questions =
                chosen.value_or(guessFormat(path, bytes)) == ExchangeFormat::Gift ? readGift(bytes) : readAiken(bytes);
        }
    } catch (const BankError& e) {
        throw BankError(QString("%1:%2").arg(path, e.message().startsWith("line ") ? e.message().mid(5) : e.message()));
    }
    return sortQuestions(std::move(questions));
}

ImportedRecords importedRecords(const ReadExchange& read, const QSet<int>& taken, std::optional<int> first)
{
    ImportedRecords out;
    const qsizetype count = read.valid.size();
    if (!first) {
        QSet<int> seen;
        for (const ImportedQuestion& q : read.valid) {
            if (!q.number || taken.contains(*q.number) || seen.contains(*q.number))
                break;
            seen.insert(*q.number);
            out.numbers.append(*q.number);
        }
        out.numbersFromNames = count > 0 && out.numbers.size() == count;
    }
    out.order.resize(count);
    std::iota(out.order.begin(), out.order.end(), 0);
    if (out.numbersFromNames) {
        std::stable_sort(out.order.begin(), out.order.end(),
                         [&](qsizetype a, qsizetype b) { return out.numbers[a] < out.numbers[b]; });
    } else {
        int next = 0;
        if (first) {
            next = *first;
        } else {
            for (const int n : taken)
                next = std::max(next, n + 1);
        }
        out.numbers.clear();
        for (qsizetype i = 0; i < count; ++i)
            out.numbers.append(next + int(i));
    }
    out.first = count > 0 ? out.numbers[out.order.first()] : 0;
    out.last = count > 0 ? out.numbers[out.order.last()] : -1;
    if (out.last > 999999)
        throw BankError(QString("the numbers would run past 999999"));
    out.file = QString("%1-%2-importate.txt").arg(out.first, 3, 10, QChar('0')).arg(out.last, 3, 10, QChar('0'));
    return out;
}

SourceRecord ImportedRecords::record(const ReadExchange& read, qsizetype k) const
{
    const qsizetype i = order[k];
    return recordOf(read.valid[i], read.keys[i], numbers[i], file);
}

bool ImportedRecords::writeSource(const ReadExchange& read, QIODevice& device) const
{
    // Records of the usual layout stand one blank line apart and the file ends in a line break, so the file is
    // its records written one by one, joined by a line break.
    for (qsizetype k = 0; k < size(); ++k) {
        const QByteArray bytes = writeSourceFiles({record(read, k)}).constFirst().bytes;
        if ((k > 0 && !device.putChar('\n')) || device.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

QByteArray ImportedRecords::sourceBytes(const ReadExchange& read) const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeSource(read, buffer);
    return bytes;
}

ImportResult writeImported(const ReadExchange& read, const QString& folder, std::optional<int> first)
{
    if (QFileInfo(folder).exists() && !QFileInfo(folder).isDir())
        throw BankError(QString("%1 is not a folder").arg(folder));
    const QSet<int> taken = QFileInfo(folder).isDir() ? numbersIn(folder) : QSet<int>();
    const ImportedRecords plan = importedRecords(read, taken, first);
    for (qsizetype k = 0; k < plan.size(); ++k)
        if (const int n = plan.numbers[plan.order[k]]; taken.contains(n))
            throw BankError(QString("number %1 is already used in %2; choose another --first").arg(n).arg(folder));

    const QDir dir(folder);
    ImportResult result;
    result.file = plan.file;
    result.first = plan.first;
    result.last = plan.last;
    result.numbersFromNames = plan.numbersFromNames;
    if (QFileInfo::exists(dir.filePath(result.file)))
        throw BankError(QString("%1 exists already").arg(dir.filePath(result.file)));
    bool anyPicture = false;
    for (qsizetype k = 0; k < plan.size(); ++k)
        if (!read.valid[plan.order[k]].picture.isEmpty()) {
            anyPicture = true;
            const QString relative = picturePath(plan.numbers[plan.order[k]]);
            if (QFileInfo::exists(dir.filePath(relative)))
                throw BankError(QString("%1 exists already").arg(dir.filePath(relative)));
        }

    if (!dir.mkpath(".") || (anyPicture && !dir.mkpath(kPictureFolder)))
        throw BankError(QString("cannot create %1").arg(folder));
    // One picture decoded at a time: the file's pictures were read whole before, so none fails here.
    for (qsizetype k = 0; k < plan.size(); ++k) {
        const ImportedQuestion& q = read.valid[plan.order[k]];
        if (q.picture.isEmpty())
            continue;
        const int number = plan.numbers[plan.order[k]];
        QString problem;
        const QImage picture = readPicture(q.picture, pictureFileName(number), problem);
        if (picture.isNull())
            throw BankError(problem);
        const QString relative = picturePath(number);
        writeFile(dir.filePath(relative), bankPicture(picture));
        result.pictures << relative;
    }
    QSaveFile source(dir.filePath(plan.file));
    if (!source.open(QIODevice::WriteOnly) || !plan.writeSource(read, source) || !source.commit())
        throw BankError(QString("cannot write %1: %2").arg(source.fileName(), source.errorString()));
    return result;
}

}  // namespace bank
