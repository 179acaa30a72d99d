// Files to import come from anyone: whatever a file holds, each reader (Moodle XML, GIFT, Aiken) either refuses
// it naming a line inside it, or gives questions; each question the bank cannot hold names a line and why; and
// every record import would write is one build takes: its source file reads back without a fault and with the
// same fields, and its picture becomes a bitmap the program decodes.

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "store/error.h"
#include "store/picture.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/formats/bank_import.h"
#include "velmaris-bank/formats/gift.h"
#include "velmaris-bank/formats/moodle_xml.h"
#include "velmaris-bank/source/source_format.h"

namespace {

[[noreturn]] void broken(const QString& what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::abort();
}

// The line a message "line N: ..." names, or 0.
int lineOf(const QString& message)
{
    if (!message.startsWith(QStringLiteral("line ")))
        return 0;
    return message.mid(5).section(':', 0, 0).toInt();
}

void check(const char* format, QList<bank::ImportedQuestion> (*read)(const QByteArray&), const QByteArray& bytes)
{
    // Lines end in '\n' or, in an old Macintosh file, in '\r'.
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    QList<bank::ImportedQuestion> questions;
    try {
        questions = read(bytes);
    } catch (const bank::BankError& e) {
        const int line = lineOf(e.message());
        if (line < 1 || line > lines)
            broken(QString("%1: refused outside the file (%2 lines): %3").arg(format).arg(lines).arg(e.message()));
        return;
    }
    const bank::ReadExchange sorted = bank::sortQuestions(questions);
    for (const bank::ImportedQuestion& q : sorted.invalid)
        if (q.line < 1 || q.line > lines || q.problem.isEmpty())
            broken(QString("%1: a question refused at line %2 of %3: '%4'")
                       .arg(format)
                       .arg(q.line)
                       .arg(lines)
                       .arg(q.problem));

    const bank::ImportedRecords plan = bank::importedRecords(sorted, {}, std::nullopt);
    if (plan.size() == 0)
        return;
    bank::SourceBank back;
    bank::parseSourceFile(plan.file, plan.sourceBytes(sorted), back);
    if (!back.faults.isEmpty())
        broken(QString("%1: build refuses what import writes: %2").arg(format, back.faults[0].toString()));
    if (back.records.size() != plan.size())
        broken(QString("%1: %2 records written, %3 read back").arg(format).arg(plan.size()).arg(back.records.size()));
    for (qsizetype k = 0; k < back.records.size(); ++k) {
        const bank::SourceRecord a = plan.record(sorted, k);
        const bank::SourceRecord& b = back.records[k];
        if (a.number != b.number || a.rule != b.rule || a.question != b.question || a.a != b.a || a.b != b.b ||
            a.c != b.c || a.key != b.key || a.picture != b.picture)
            broken(QString("%1: record %2 reads back otherwise").arg(format).arg(a.number));
        if (!a.picture)
            continue;
        QString problem;
        const QImage picture = bank::readPicture(sorted.valid[plan.order[k]].picture, QStringLiteral("p"), problem);
        if (picture.isNull())
            broken(QString("%1: a picture taken at reading cannot be read at writing: %2").arg(format, problem));
        try {
            (void)store::decodePicture(bank::bankPicture(picture));
        } catch (const store::Error& e) {
            broken(QString("%1: the program cannot show an imported picture: %2").arg(format, e.what()));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Qt's text document, which reads HTML and Markdown, asks the GUI for fonts, as in the tool's import.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    check("moodle-xml", bank::readMoodleXml, bytes);
    check("gift", bank::readGift, bytes);
    check("aiken", bank::readAiken, bytes);
    return 0;
}
