// Bank sources are hand-written text: whatever a file holds, reading it reports each fault with the
// file and a line inside it, never crashes, and a file read without faults is written back byte for
// byte (also through R3, as build stores it and export reads it). Each picture line's description
// either parses or is refused with a BankError.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/source/source_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString fileName = QStringLiteral("000-017.txt");
    bank::SourceBank bank;
    bank::parseSourceFile(fileName, bytes, bank);

    const qsizetype lines = bytes.count('\n') + 1;
    for (const bank::SourceFault& fault : bank.faults)
        if (fault.file != fileName || fault.line < 1 || fault.line > lines || fault.fault.isEmpty()) {
            std::fprintf(stderr, "fault outside the file (%lld lines): %s\n", static_cast<long long>(lines),
                         qPrintable(fault.toString()));
            std::abort();
        }

    for (const bank::SourceRecord& record : bank.records) {
        if (!record.picture)
            continue;
        const auto halves = bank::splitPictureLine(*record.picture);
        if (!halves)
            continue;
        try {
            (void)bank::parseDescription(halves->second);
        } catch (const bank::BankError&) {
        }
    }

    if (!bank.faults.isEmpty() || bank.records.isEmpty())
        return 0;
    const QList<bank::SourceFile> direct = bank::writeSourceFiles(bank.records);
    if (direct.size() != 1 || direct[0].bytes != bytes)
        std::abort();
    QList<bank::SourceRecord> throughR3 = bank.records;
    for (qsizetype i = 0; i < throughR3.size(); ++i) {
        const QString r3 = bank::layoutToText(bank.records[i].layout, i == 0, i + 1 == throughR3.size());
        throughR3[i].layout = bank::layoutFromText(r3, throughR3[i].number);
    }
    const QList<bank::SourceFile> again = bank::writeSourceFiles(throughR3);
    if (again.size() != 1 || again[0].bytes != bytes)
        std::abort();
    return 0;
}
