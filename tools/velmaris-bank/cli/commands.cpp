#include "velmaris-bank/cli/commands.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "results/export_csv.h"
#include "store/database.h"
#include "store/error.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/check/bank_check.h"
#include "velmaris-bank/cli/console.h"
#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/gift.h"
#include "velmaris-bank/formats/moodle_xml.h"
#include "velmaris-bank/print/bank_print.h"
#include "velmaris-bank/source/bank_database.h"
#include "velmaris-bank/source/bank_load.h"
#include "velmaris-bank/source/source_export.h"

namespace bank::commands {
namespace {

using console::err;
using console::kFailed;
using console::out;

QString seconds(const QElapsedTimer& clock)
{
    return QString::number(clock.elapsed() / 1000.0, 'f', 2);
}

LoadedBank load(const QString& path, BankFrom from)
{
    return loadBank(path, from, console::progressLine("drawing pictures"));
}

// The bank for a command that writes output from it; nullopt after listing the faults of its sources, as
// nothing is written from sources with faults.
std::optional<LoadedBank> loadOrReport(const QString& path, BankFrom from, const QString& output)
{
    LoadedBank loaded = load(path, from);
    if (loaded.faults.isEmpty())
        return loaded;
    for (const SourceFault& f : loaded.faults)
        err() << f.toString() << "\n";
    err() << "velmaris-bank: " << loaded.faults.size() << " fault(s) in the sources; " << output
          << " was not written\n";
    return std::nullopt;
}

void refuseExisting(const QString& output, bool force)
{
    if (QFileInfo::exists(output) && !force)
        throw BankError(QString("%1 exists already; use --force to replace it").arg(output));
    if (QFileInfo(output).isDir())
        throw BankError(QString("%1 is a folder").arg(output));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw BankError(QString("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace

int build(const Build& request)
{
    QElapsedTimer clock;
    clock.start();
    const auto sources = loadOrReport(request.sources, BankFrom::Sources, request.output);
    if (!sources)
        return kFailed;
    replaceDatabase(request.output, sources->questions, request.force, sources->version);
    out() << "wrote " << request.output << ": " << sources->questions.size() << " questions, " << sources->pictures
          << " pictures, from " << sources->files << " files, version " << sources->version << ", in " << seconds(clock)
          << " s\n";
    return 0;
}

int check(const QString& path)
{
    // Unlike the commands that write, check goes on past the faults of sources: they are part of its report.
    const LoadedBank bank = load(path, BankFrom::Either);
    for (const SourceFault& f : bank.faults)
        out() << f.toString() << "\n";
    const QList<Fault> faults = checkQuestions(bank.questions);
    for (const Fault& f : faults)
        out() << f.toString() << "\n";
    for (const QString& line : reviewLines(reviewQuestions(bank.questions)))
        out() << line << "\n";
    const qsizetype pictures = std::count_if(bank.questions.begin(), bank.questions.end(),
                                             [](const Question& q) { return !q.picture.isEmpty(); });
    const qsizetype total = faults.size() + bank.faults.size();
    out() << path << ": " << bank.questions.size() << " questions, " << pictures << " pictures: ";
    if (total == 0) {
        out() << "all checks passed\n";
        return 0;
    }
    out() << total << " fault(s)\n";
    return kFailed;
}

int exportToSources(const ExportToSources& request)
{
    const ExportResult result =
        exportSources(load(request.database, BankFrom::Database), request.folder, request.force);
    for (const QString& w : result.warnings)
        err() << "warning: " << w << "\n";
    for (const QString& r : result.removed)
        out() << "removed " << r << "\n";
    out() << "wrote " << result.written.size() << " files to " << request.folder << "\n";
    return 0;
}

int exportToFormat(const ExportToFormat& request)
{
    refuseExisting(request.output, request.force);
    QElapsedTimer clock;
    clock.start();
    const auto bank = loadOrReport(request.bank, BankFrom::Either, request.output);
    if (!bank)
        return kFailed;
    QByteArray bytes;
    TextExport text;
    switch (request.format) {
        case ExchangeFormat::MoodleXml:
            bytes = writeMoodleXml(bank->questions);
            break;
        case ExchangeFormat::Gift:
            text = writeGift(bank->questions);
            bytes = text.bytes;
            break;
        case ExchangeFormat::Aiken:
            text = writeAiken(bank->questions);
            bytes = text.bytes;
            break;
    }
    writeFile(request.output, bytes);
    const auto numbers = [](const QList<qint64>& list) {
        QStringList words;
        for (const qint64 n : list)
            words << QString::number(n);
        return words.join(' ');
    };
    if (!text.leftOut.isEmpty())
        err() << text.leftOut.size() << " question(s) left out: their picture is needed to answer them and "
              << formatName(request.format) << " carries text only (" << numbers(text.leftOut) << ")\n";
    if (!text.misread.isEmpty())
        err() << text.misread.size() << " question(s) left out: Moodle would read their text as an answer or an "
              << "ANSWER line, or skip it, and " << formatName(request.format) << " has no escapes ("
              << numbers(text.misread) << ")\n";
    out() << "wrote " << request.output << ": " << bank->questions.size() - text.leftOut.size() - text.misread.size()
          << " questions, " << bytes.size() << " bytes, in " << seconds(clock) << " s\n";
    return 0;
}

int importFile(const Import& request)
{
    const ReadExchange read = readExchangeFile(request.file, request.format);
    for (const ImportedQuestion& q : read.invalid)
        err() << request.file << ":" << q.line << ": '" << q.name << "': " << q.problem
              << (request.skipInvalid ? "; skipped" : "") << "\n";
    if (!read.invalid.isEmpty() && !request.skipInvalid) {
        err() << "velmaris-bank: " << read.invalid.size() << " question(s) the bank cannot hold; nothing was written "
              << "(--skip-invalid writes the " << read.valid.size() << " valid ones)\n";
        return kFailed;
    }
    if (read.valid.isEmpty()) {
        err() << "velmaris-bank: " << request.file << " holds no question the bank can hold; nothing was written\n";
        return kFailed;
    }
    const ImportResult result = writeImported(read, request.folder, request.first);
    out() << "wrote " << QFileInfo(request.folder).filePath() << "/" << result.file << ": " << read.valid.size()
          << " questions, numbers " << result.first << " to " << result.last
          << (result.numbersFromNames ? " (from their names)" : "") << ", " << result.pictures.size() << " pictures";
    if (!read.invalid.isEmpty())
        out() << "; " << read.invalid.size() << " skipped";
    out() << "\n";
    return 0;
}

int resultsCsv(const QString& bank)
{
    if (!QFileInfo(bank).isFile()) {
        err() << "velmaris-bank: no such file '" << bank << "'\n";
        return kFailed;
    }
    store::Database data;
    // A script's look at a bank never writes it, not even the raise of its tables.
    data.conColreg.keepReadOnly("velmaris-bank results only reads the bank");
    data.conColreg.setFile(bank.toStdString());
    try {
        const QByteArray csv = results::historyCsv(data);
        // The bytes as they are, byte order mark and "\r\n" included.
        out() << Qt::flush;
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        std::fwrite(csv.constData(), 1, static_cast<std::size_t>(csv.size()), stdout);
        std::fflush(stdout);
    } catch (const store::Error& e) {
        err() << "velmaris-bank: " << bank << ": " << QString::fromUtf8(e.what()) << "\n";
        return kFailed;
    }
    return 0;
}

int print(const Print& request)
{
    refuseExisting(request.output, request.force);
    QElapsedTimer clock;
    clock.start();
    const auto bank = loadOrReport(request.bank, BankFrom::Either, request.output);
    if (!bank)
        return kFailed;
    const int pages = request.sheetSeed ? printSheet(bank->questions, *request.sheetSeed, request.output, request.mono)
                                        : printBank(bank->questions, request.output, request.mono,
                                                    console::progressLine("laying out"));
    out() << "wrote " << request.output << ": " << pages << " pages, in " << seconds(clock) << " s\n";
    return 0;
}

}  // namespace bank::commands
