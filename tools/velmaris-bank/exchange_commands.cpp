#include "exchange_commands.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

#include "aiken.h"
#include "bank_error.h"
#include "bank_exchange.h"
#include "bank_import.h"
#include "bank_print.h"
#include "console.h"
#include "gift.h"
#include "moodle_xml.h"

namespace exchange {
namespace {

using console::err;
using console::kFailed;
using console::kUsage;
using console::out;
using console::usage;

// Parses the options; false after printing what is wrong.
bool parse(QCommandLineParser& parser, const QString& command, const QStringList& args,
           const QList<QCommandLineOption>& options)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    if (!parser.parse(QStringList{"velmaris-bank"} + args)) {
        usage(parser.errorText());
        return false;
    }
    if (parser.positionalArguments().size() != 1) {
        usage(QString("'%1' takes 1 path, not %2").arg(command).arg(parser.positionalArguments().size()));
        return false;
    }
    return true;
}

QString seconds(const QElapsedTimer& clock)
{
    return QString::number(clock.elapsed() / 1000.0, 'f', 2);
}

// The bank of a file or folder; nullopt after listing the faults of the sources.
std::optional<QList<bank::Question>> loadOrReport(const QString& path, const QString& output, const QString& what)
{
    const bank::LoadedBank loaded = bank::loadBank(path, console::progressLine(what));
    if (loaded.faults.isEmpty())
        return loaded.questions;
    for (const bank::SourceFault& f : loaded.faults)
        err() << f.toString() << "\n";
    err() << "velmaris-bank: " << loaded.faults.size() << " fault(s) in the sources; " << output
          << " was not written\n";
    return std::nullopt;
}

void refuseExisting(const QString& output, bool force)
{
    if (QFileInfo::exists(output) && !force)
        throw bank::BankError(QString("%1 exists already; use --force to replace it").arg(output));
    if (QFileInfo(output).isDir())
        throw bank::BankError(QString("%1 is a folder").arg(output));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw bank::BankError(QString("cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace

bool needsGui(const QString& command)
{
    return command == "print";
}

int exportFormat(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption output({"o", "output"}, "output", "path");
    const QCommandLineOption format("format", "format", "name");
    const QCommandLineOption force("force", "replace");
    if (!parse(parser, "export", args, {output, format, force}))
        return kUsage;
    const auto chosen = bank::formatFromName(parser.value(format));
    if (!chosen)
        return usage(QString("unknown format '%1': moodle-xml, gift or aiken").arg(parser.value(format)));
    if (!parser.isSet(output))
        return usage("-o is missing");
    const QString target = parser.value(output);
    refuseExisting(target, parser.isSet(force));

    QElapsedTimer clock;
    clock.start();
    const auto questions = loadOrReport(parser.positionalArguments()[0], target, "drawing pictures");
    if (!questions)
        return kFailed;
    QByteArray bytes;
    QList<qint64> leftOut;
    switch (*chosen) {
        case bank::ExchangeFormat::MoodleXml:
            bytes = bank::writeMoodleXml(*questions);
            break;
        case bank::ExchangeFormat::Gift: {
            bank::TextExport e = bank::writeGift(*questions);
            bytes = e.bytes;
            leftOut = e.leftOut;
            break;
        }
        case bank::ExchangeFormat::Aiken: {
            bank::TextExport e = bank::writeAiken(*questions);
            bytes = e.bytes;
            leftOut = e.leftOut;
            break;
        }
    }
    writeFile(target, bytes);
    if (!leftOut.isEmpty()) {
        QStringList numbers;
        for (const qint64 n : leftOut)
            numbers << QString::number(n);
        err() << leftOut.size() << " question(s) left out: their picture is needed to answer them and "
              << parser.value(format) << " carries text only (" << numbers.join(' ') << ")\n";
    }
    out() << "wrote " << target << ": " << questions->size() - leftOut.size() << " questions, " << bytes.size()
          << " bytes, in " << seconds(clock) << " s\n";
    return 0;
}

int importFile(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption output({"o", "output"}, "output", "folder");
    const QCommandLineOption format("format", "format", "name");
    const QCommandLineOption first("first", "first number", "N");
    const QCommandLineOption skipInvalid("skip-invalid", "write the valid questions");
    if (!parse(parser, "import", args, {output, format, first, skipInvalid}))
        return kUsage;
    if (!parser.isSet(output))
        return usage("-o is missing");
    std::optional<bank::ExchangeFormat> chosen;
    if (parser.isSet(format)) {
        chosen = bank::formatFromName(parser.value(format));
        if (!chosen)
            return usage(QString("unknown format '%1': moodle-xml, gift or aiken").arg(parser.value(format)));
    }
    std::optional<int> firstNumber;
    if (parser.isSet(first)) {
        bool ok = false;
        const int n = parser.value(first).toInt(&ok);
        if (!ok || n < 0 || n > 999999)
            return usage(QString("--first takes a number from 0 to 999999, not '%1'").arg(parser.value(first)));
        firstNumber = n;
    }

    const QString file = parser.positionalArguments()[0];
    const QString folder = parser.value(output);
    const bank::ReadExchange read = bank::readExchangeFile(file, chosen);
    for (const bank::ImportedQuestion& q : read.invalid)
        err() << file << ":" << q.line << ": '" << q.name << "': " << q.problem
              << (parser.isSet(skipInvalid) ? "; skipped" : "") << "\n";
    if (!read.invalid.isEmpty() && !parser.isSet(skipInvalid)) {
        err() << "velmaris-bank: " << read.invalid.size() << " question(s) the bank cannot hold; nothing was written "
              << "(--skip-invalid writes the " << read.valid.size() << " valid ones)\n";
        return kFailed;
    }
    if (read.valid.isEmpty()) {
        err() << "velmaris-bank: " << file << " holds no question the bank can hold; nothing was written\n";
        return kFailed;
    }
    const bank::ImportResult result = bank::writeImported(read, folder, firstNumber);
    out() << "wrote " << QFileInfo(folder).filePath() << "/" << result.file << ": " << read.valid.size()
          << " questions, numbers " << result.first << " to " << result.last << ", " << result.pictures.size()
          << " pictures";
    if (!read.invalid.isEmpty())
        out() << "; " << read.invalid.size() << " skipped";
    out() << "\n";
    return 0;
}

int print(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption output({"o", "output"}, "output", "path");
    const QCommandLineOption force("force", "replace");
    const QCommandLineOption sheet("sheet", "a test sheet");
    const QCommandLineOption seed("seed", "seed", "S");
    if (!parse(parser, "print", args, {output, force, sheet, seed}))
        return kUsage;
    if (!parser.isSet(output))
        return usage("-o is missing");
    if (parser.isSet(sheet) != parser.isSet(seed))
        return usage("--sheet and --seed go together");
    std::uint32_t seedValue = 0;
    if (parser.isSet(seed)) {
        bool ok = false;
        seedValue = parser.value(seed).toUInt(&ok);
        if (!ok)
            return usage(QString("--seed takes a whole number from 0 to 4294967295, not '%1'").arg(parser.value(seed)));
    }
    const QString target = parser.value(output);
    refuseExisting(target, parser.isSet(force));

    QElapsedTimer clock;
    clock.start();
    const auto questions = loadOrReport(parser.positionalArguments()[0], target, "drawing pictures");
    if (!questions)
        return kFailed;
    const int pages = parser.isSet(sheet) ? bank::printSheet(*questions, seedValue, target)
                                          : bank::printBank(*questions, target, console::progressLine("laying out"));
    out() << "wrote " << target << ": " << pages << " pages, in " << seconds(clock) << " s\n";
    return 0;
}

}  // namespace exchange
