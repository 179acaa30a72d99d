// velmaris-bank results BANK --csv: what the results window exports, for scripts, without writing the bank.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include <string>

#include "results/export_csv.h"
#include "results/record.h"
#include "results/student.h"
#include "store/database.h"
#include "tests/support/fixture_db.h"

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

ToolRun tool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMARIS_BANK_EXE), arguments);
    process.waitForFinished(60000);
    // Windows writes the messages' line ends as CR LF (standard error is a text stream there); the CSV on
    // standard output is binary and compared as written.
    QByteArray err = process.readAllStandardError();
    err.replace("\r\n", "\n");
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            err};
}

QByteArray bytesOf(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ResultsCommand, WritesTheHistoryCsvAndLeavesTheBankAsItWas)
{
    fixture::Folder folder;
    folder.writeDatabase(fixture::sampleQuestions(40));
    const QString bank = QString::fromStdString(folder.databasePath());

    // Before anything was recorded: the header alone, and the bank's tables are not raised by a look.
    const QByteArray untouched = bytesOf(folder.databasePath());
    const ToolRun empty = tool({QStringLiteral("results"), bank, QStringLiteral("--csv")});
    EXPECT_EQ(empty.status, 0) << empty.err.toStdString();
    EXPECT_TRUE(empty.out.startsWith("\xEF\xBB\xBFNume;Prenume;Grupa;Data;"));
    EXPECT_EQ(empty.out.count('\n'), 1);
    EXPECT_EQ(bytesOf(folder.databasePath()), untouched);

    QByteArray expected;
    {
        store::Database data;
        data.open(store::bankFileIn(folder.path()));
        results::saveStudent(data, QStringLiteral("Țăranu"), QStringLiteral("Ștefan"), QStringLiteral("M-21"));
        for (int day : {1, 2}) {
            results::GradedTest test;
            test.when = QDateTime(QDate(2026, 12, day), QTime(10, 0));
            test.correct = day;
            test.wrong = 1;
            test.percentage = 100.0 * day / (day + 1);
            test.grade = 4;
            test.questions = {{1, QStringLiteral("Regula 1"), QStringLiteral("A"), QStringLiteral("A")},
                              {2, QStringLiteral("Regula 20"), QStringLiteral("B"), QStringLiteral("C")}};
            results::recordTest(data, test);
        }
        expected = results::historyCsv(data);
    }
    const QByteArray recorded = bytesOf(folder.databasePath());
    const ToolRun run = tool({QStringLiteral("results"), QStringLiteral("--csv"), bank});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.out.count('\n'), 3) << "the header and two tests";
    EXPECT_EQ(bytesOf(folder.databasePath()), recorded);
}

TEST(ResultsCommand, WrongUsageAndFailures)
{
    fixture::Folder folder;
    const QString missing = QString::fromStdString(folder.path() + "/none.mdb");
    const QString notABank = QString::fromStdString(folder.path() + "/notes.txt");
    QFile notes(notABank);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("an instructor's notes");
    notes.close();
    const struct {
        QStringList args;
        int status;
        const char* errStart;
    } cases[] = {
        {{"results", missing}, 2, "velmaris-bank: results needs --csv, its only format\n"},
        {{"results", "--csv"}, 2, "velmaris-bank: 'results' takes 1 path, not 0\n"},
        {{"results", missing, "--csv"}, 1, "velmaris-bank: no such file"},
        {{"results", notABank, "--csv"}, 1, "velmaris-bank: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = tool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.startsWith(c.errStart)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(bytesOf(notABank.toStdString()), "an instructor's notes");
}

}  // namespace
