#include "velmaris-bank/source/source_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/bank/bank_parts.h"
#include "velmaris-bank/pictures/picture_description.h"

namespace bank {
namespace {

enum Key { kNr, kQ, kA, kB, kC, kOk, kPic, kNoMoreKeys };
const char* const kKeyText[] = {"NR:", "Q:", "a)", "b)", "c)", "OK:", "PIC:"};
const QString kUsualGap = QStringLiteral("  ");
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

int keyOf(const QString& line)
{
    for (int k = kNr; k < kNoMoreKeys; ++k)
        if (line.startsWith(QLatin1String(kKeyText[k])))
            return k;
    return -1;
}

QString quoted(int key)
{
    return QString("'%1'").arg(QLatin1String(kKeyText[key]));
}

bool isBlank(const QString& line)
{
    return line.trimmed().isEmpty();
}

bool isComment(const QString& line)
{
    return line.startsWith('#');
}

// Reads one file, line by line: between records only blank and comment lines; a record runs from its NR:
// line to the next blank line.
class FileParser {
public:
    FileParser(const QString& fileName, SourceBank& bank) : file_(fileName), bank_(bank) {}

    void parse(const QByteArray& raw)
    {
        QByteArray bytes = raw;
        const bool bom = bytes.startsWith(kBom);
        if (bom)
            bytes.remove(0, kBom.size());
        QList<QByteArray> lines = bytes.split('\n');
        const bool finalNewline = bytes.endsWith('\n');
        if (finalNewline || bytes.isEmpty())
            lines.removeLast();

        const qsizetype firstRecord = bank_.records.size();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            lineNo_ = int(i + 1);
            if (lines[i].contains('\r')) {
                fault("carriage return: save the file with LF line endings");
                lines[i].replace("\r", "");
            }
            // ConvertInitialBom: the decoder would otherwise drop a U+FEFF that opens a line, and the file
            // would no longer be written back as it was read.
            QStringDecoder utf8(QStringDecoder::Utf8,
                                QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
            const QString line = utf8.decode(lines[i]);
            if (utf8.hasError())
                fault("not valid UTF-8");
            else if (line.contains(QChar(0xFEFF)))
                fault("invisible character U+FEFF (byte order mark) inside the file: delete it");
            take(line);
        }
        // A record cut off by the end of the file is reported at its last line, which exists.
        if (inRecord_)
            finish();
        if (bank_.records.size() > firstRecord) {
            bank_.records[firstRecord].layout.bom = bom;
            Layout& last = bank_.records.last().layout;
            last.tail = pending_;
            last.finalNewline = finalNewline;
        }
    }

private:
    void fault(const QString& what) { bank_.faults.append({file_, lineNo_, what}); }

    void fail(const QString& what)
    {
        fault(what);
        broken_ = true;
    }

    void take(const QString& line)
    {
        if (!inRecord_) {
            if (isBlank(line) || isComment(line)) {
                pending_.append(line);
            } else {
                inRecord_ = true;
                broken_ = false;
                record_ = SourceRecord();
                record_.file = file_;
                record_.line = lineNo_;
                record_.layout.file = file_;
                record_.layout.lead = pending_;
                pending_.clear();
                next_ = kNr;
                keyLines_ = 0;
                if (keyOf(line) == kNr)
                    keyLine(kNr, line);
                else
                    fail("expected 'NR:' to start a record");
            }
            return;
        }
        if (isBlank(line)) {
            finish();
            pending_.append(line);
            return;
        }
        if (broken_)
            return;
        if (isComment(line)) {
            record_.layout.inner.append({keyLines_, line});
            return;
        }
        const int key = keyOf(line);
        if (key < 0) {
            const QString word = line.section(' ', 0, 0);
            if (line.startsWith("RULE:"))
                fail("'RULE:' goes on the NR: line, e.g. 'NR: 131  RULE: 23(a)'");
            else
                fail(QString("unknown key '%1': a record line starts with NR:, Q:, a), b), c), OK: or PIC:").arg(word));
        } else if (key == next_) {
            keyLine(key, line);
        } else if (key == kNr) {
            if (next_ >= kPic)
                fail("a new record starts without a blank line before it");
            else
                fail(QString("a new record starts, but this one lacks %1").arg(quoted(next_)));
        } else if (key > next_ && next_ < kPic) {
            fail(QString("missing %1 before %2").arg(quoted(next_), quoted(key)));
        } else {
            fail(QString("%1 repeated or out of order: after %2 comes %3")
                     .arg(quoted(key), quoted(next_ - 1),
                          next_ < kNoMoreKeys ? quoted(next_) : QString("a blank line")));
        }
    }

    void keyLine(int key, const QString& line)
    {
        const QString prefix = QLatin1String(kKeyText[key]) + ' ';
        if (!line.startsWith(prefix)) {
            fail(QString("%1 must be followed by one space and the text").arg(quoted(key)));
            return;
        }
        const QString text = line.mid(prefix.size());
        switch (key) {
            case kNr:
                numberLine(text);
                break;
            case kQ:
                record_.question = text;
                break;
            case kA:
                record_.a = text;
                break;
            case kB:
                record_.b = text;
                break;
            case kC:
                record_.c = text;
                break;
            case kOk:
                if (text != "A" && text != "B" && text != "C")
                    fail(QString("bad letter '%1' after OK: (A, B or C)").arg(text));
                record_.key = text;
                break;
            case kPic:
                pictureLine(text);
                break;
        }
        ++keyLines_;
        next_ = key + 1;
    }

    void numberLine(const QString& text)
    {
        static const QRegularExpression form(QStringLiteral("^(\\d+)([ \\t]+)RULE: (.*)$"));
        const QRegularExpressionMatch m = form.match(text);
        if (!m.hasMatch()) {
            fail("expected 'NR: <number>  RULE: <paragraph>', e.g. 'NR: 131  RULE: 23(a)'");
            return;
        }
        const QString digits = m.captured(1);
        if (digits.size() > 1 && digits.startsWith('0')) {
            fail(QString("write the number without leading zeros: %1").arg(digits.toInt()));
            return;
        }
        if (digits.size() > 6) {
            fail(QString("number %1 is far too large").arg(digits));
            return;
        }
        const int number = digits.toInt();
        if (bank_.firstUse.contains(number)) {
            fail(QString("number %1 is already used at %2").arg(number).arg(bank_.firstUse.value(number)));
            return;
        }
        bank_.firstUse.insert(number, QString("%1:%2").arg(file_).arg(lineNo_));
        if (number <= lastNumber_) {
            fail(QString("number %1 after %2: numbers must go up within a file").arg(number).arg(lastNumber_));
            return;
        }
        lastNumber_ = number;
        record_.number = number;
        record_.layout.gap = m.captured(2);
        record_.rule = m.captured(3);
    }

    void pictureLine(const QString& text)
    {
        record_.picture = text;
        record_.pictureLine = lineNo_;
        const auto parts = splitPictureLine(text);
        if (!parts) {
            fail("expected 'PIC: NNN.bmp | description'");
            return;
        }
        const QString expected = pictureFileName(record_.number);
        if (parts->first != expected) {
            fail(QString("the picture file must be named %1 (the question number in 3 digits), not '%2'")
                     .arg(expected, parts->first));
            return;
        }
        try {
            parseDescription(parts->second);
        } catch (const BankError& e) {
            fail("bad picture description: " + e.message());
        }
    }

    void finish()
    {
        inRecord_ = false;
        if (broken_)
            return;
        if (next_ <= kOk) {
            fault(QString("record NR %1 ends without %2").arg(record_.number).arg(quoted(next_)));
            return;
        }
        bank_.records.append(record_);
    }

    QString file_;
    SourceBank& bank_;
    int lineNo_ = 0;
    bool inRecord_ = false;
    bool broken_ = false;
    int next_ = kNr;
    int keyLines_ = 0;
    int lastNumber_ = -1;
    SourceRecord record_;
    QStringList pending_;
};

QJsonArray toArray(const QStringList& lines)
{
    QJsonArray a;
    for (const QString& l : lines)
        a.append(l);
    return a;
}

// Only blank and comment lines may stand around records: anything else would not read back.
QStringList layoutLines(const QJsonValue& value)
{
    QStringList lines;
    for (const QJsonValue& v : value.toArray()) {
        const QString line = v.toString();
        if ((isBlank(line) || isComment(line)) && !line.contains('\n') && !line.contains('\r'))
            lines.append(line);
    }
    return lines;
}

bool safeFileName(const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^[^/\\\\.][^/\\\\]*\\.txt$"));
    return form.match(name).hasMatch() && !name.contains('\n');
}

QString partFileName(qint64 number)
{
    const Part* part = partOf(number);
    if (!part)
        return QStringLiteral("alte.txt");
    return QString("%1-%2.txt").arg(part->first, 3, 10, QChar('0')).arg(part->last, 3, 10, QChar('0'));
}

}  // namespace

QString SourceFault::toString() const
{
    return QString("%1:%2: %3").arg(file).arg(line).arg(fault);
}

SourceBank readSourceFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.isDir())
        throw BankError(QString("%1 is not a folder").arg(folder));
    QStringList names = QDir(folder).entryList({"*.txt"}, QDir::Files | QDir::Readable | QDir::CaseSensitive);
    std::sort(names.begin(), names.end());  // file-name order, byte by byte
    if (names.isEmpty())
        throw BankError(QString("%1 has no question files (*.txt)").arg(folder));

    SourceBank bank;
    for (const QString& name : names) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            throw BankError(QString("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        bank.files.append(name);
        parseSourceFile(name, file.readAll(), bank);
    }
    return bank;
}

void parseSourceFile(const QString& fileName, const QByteArray& bytes, SourceBank& bank)
{
    FileParser(fileName, bank).parse(bytes);
}

QString pictureFileName(qint64 number)
{
    return QString("%1.bmp").arg(number, 3, 10, QChar('0'));
}

QString picturePath(qint64 number)
{
    return QLatin1String(kPictureFolder) + '/' + pictureFileName(number);
}

std::optional<QPair<QString, QString>> splitPictureLine(const QString& line)
{
    const qsizetype bar = line.indexOf('|');
    if (bar < 0)
        return std::nullopt;
    return QPair<QString, QString>(line.left(bar).trimmed(), line.mid(bar + 1).trimmed());
}

QString layoutToText(const Layout& layout, bool first, bool last)
{
    QJsonObject o;
    o.insert("file", layout.file);
    const QStringList usualLead = first ? QStringList() : QStringList{QString()};
    if (layout.lead && *layout.lead != usualLead)
        o.insert("lead", toArray(*layout.lead));
    if (layout.gap != kUsualGap)
        o.insert("gap", layout.gap);
    if (!layout.inner.isEmpty()) {
        QJsonArray inner;
        for (const auto& [position, text] : layout.inner)
            inner.append(QJsonArray{position, text});
        o.insert("inner", inner);
    }
    if (last && !layout.tail.isEmpty())
        o.insert("tail", toArray(layout.tail));
    if (last && !layout.finalNewline)
        o.insert("eol", false);
    if (first && layout.bom)
        o.insert("bom", true);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

Layout layoutFromText(const QString& text, qint64 number)
{
    Layout layout;
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString file = o.value("file").toString();
    layout.file = safeFileName(file) ? file : partFileName(number);
    if (o.contains("lead"))
        layout.lead = layoutLines(o.value("lead"));
    static const QRegularExpression gapForm(QStringLiteral("^[ \\t]+$"));
    const QString gap = o.value("gap").toString();
    if (gapForm.match(gap).hasMatch())
        layout.gap = gap;
    for (const QJsonValue& v : o.value("inner").toArray()) {
        const QJsonArray pair = v.toArray();
        const int position = pair.at(0).toInt(-1);
        const QString line = pair.at(1).toString();
        if (position >= 1 && position <= kNoMoreKeys && isComment(line) && !line.contains('\n') && !line.contains('\r'))
            layout.inner.append({position, line});
    }
    layout.tail = layoutLines(o.value("tail"));
    layout.finalNewline = o.value("eol").toBool(true);
    layout.bom = o.value("bom").toBool(false);
    return layout;
}

QList<SourceFile> writeSourceFiles(const QList<SourceRecord>& records)
{
    QStringList order;
    QHash<QString, QList<const SourceRecord*>> byFile;
    for (const SourceRecord& r : records) {
        if (!byFile.contains(r.layout.file))
            order.append(r.layout.file);
        byFile[r.layout.file].append(&r);
    }

    QList<SourceFile> files;
    for (const QString& name : order) {
        const QList<const SourceRecord*>& group = byFile[name];
        // Written line by line into the bytes: an import of a large file is not held again as lines.
        QByteArray bytes;
        bool firstLine = true;
        const auto put = [&](const QString& line) {
            if (!firstLine)
                bytes.append('\n');
            bytes.append(line.toUtf8());
            firstLine = false;
        };
        for (qsizetype i = 0; i < group.size(); ++i) {
            const SourceRecord& r = *group[i];
            QStringList lead = r.layout.lead.value_or(i == 0 ? QStringList() : QStringList{QString()});
            if (i > 0 && std::none_of(lead.begin(), lead.end(), isBlank))
                lead.prepend(QString());  // records stay apart
            for (const QString& line : lead)
                put(line);

            const QString keyLines[] = {
                QString("NR: %1%2RULE: %3").arg(r.number).arg(r.layout.gap, r.rule),
                "Q: " + r.question,
                "a) " + r.a,
                "b) " + r.b,
                "c) " + r.c,
                "OK: " + r.key,
                r.picture ? "PIC: " + *r.picture : QString(),
            };
            const int count = r.picture ? 7 : 6;
            for (int written = 1; written <= count; ++written) {
                put(keyLines[written - 1]);
                for (const auto& [position, text] : r.layout.inner)
                    if (position == written)
                        put(text);
            }
        }
        const Layout& last = group.last()->layout;
        for (const QString& line : last.tail)
            put(line);
        if (last.finalNewline)
            bytes.append('\n');
        if (group.first()->layout.bom)
            bytes.prepend(kBom);
        files.append({name, bytes});
    }
    return files;
}

}  // namespace bank
