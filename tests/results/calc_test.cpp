#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "app/frm_main.h"
#include "app/kit.h"
#include "results/frm_rezultate.h"
#include "results/record.h"
#include "results/student.h"
#include "startup/start_up.h"
#include "tests/support/box_recorder.h"
#include "tests/support/fixture_db.h"
#include "tests/support/program_fixture.h"

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The exported table as LibreOffice Calc reads it: imported as a Romanian user's Calc offers it (';'
// between fields, the character set the byte-order mark announces, Romanian numbers and dates), then
// written out again by Calc as plain UTF-8 with every text cell quoted, so that what Calc took for a
// number or a date shows unquoted.
TEST(CsvInCalc, OpensWithDiacriticsWholeAndNumbersAsNumbers)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: the exported table is not opened in Calc "
                        "(Debian: libreoffice-calc-nogui)";

    fixture::Folder folder;
    std::vector<fixture::Question> questions = fixture::sampleQuestions(40);
    for (fixture::Question& q : questions)
        q.r1 = std::to_string(q.number % 30 + 1) + "(a)";
    folder.writeDatabase(questions);
    app::Kit kit;
    BoxRecorder recorder(kit);
    fixture::ProgramHolder run(kit);
    run.build(folder.path());
    auto& [frmMain, frmAlege, frmInv_Colreg, frmColreg_Proc, frmRezultate] = run.windows();
    results::GradedTest test;
    test.when = QDateTime(QDate(2026, 12, 1), QTime(10, 0, 5));
    // Rule 1 (Part A) right; Rules 12 and 13 (Part B) one right, one wrong.
    test.questions = {
        {0, u("Regula 1"), u("A"), u("A")}, {11, u("Regula 12"), u("C"), u("C")}, {12, u("Regula 13"), u("C"), u("B")}};
    test.correct = 2;
    test.wrong = 1;
    test.grade = 4;
    test.percentage = 200.0 / 3;
    results::recordTest(frmMain->data, test);
    results::saveStudent(frmMain->data, u("Țăranu; Ș."), u("Ștefan \"Ionuț\""), u("3Î"));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("rezultate.csv"));
    kit.showWindow(frmRezultate);
    frmRezultate->chooseExportFile = [&](QWidget*) { return csv; };
    frmRezultate->btnExporta->click();
    run.destroy();
    ASSERT_TRUE(QFile::exists(csv)) << (recorder.errors().empty() ? "" : recorder.errors()[0].toStdString());

    QProcess calc;
    calc.setWorkingDirectory(dir.path());
    // Calc writes the numbers and dates it read in its own locale, which a fresh profile takes from the
    // environment: fixed here, so that the figures read back the same on any machine.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("LANGUAGE"));
    calc.setProcessEnvironment(environment);
    calc.start(soffice,
               {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
                QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:59,34,76,1,,1048"),
                QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76,1,,0,true"),
                QStringLiteral("--outdir"), dir.filePath(QStringLiteral("out")), csv});
    ASSERT_TRUE(calc.waitForFinished(120000)) << "soffice did not finish";
    QFile back(dir.filePath(QStringLiteral("out/rezultate.csv")));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly)) << calc.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(back.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], u("\"Nume\";\"Prenume\";\"Grupa\";\"Data\";\"Nota\";\"Corecte\";\"Greșite\";\"Procent\";"
                          "\"Partea A\";\"Partea B\";\"Partea C\";\"Partea D\";\"Partea E\";\"Partea F\";\"Anexe\""));
    // Text whole (a ';' and quotes inside a name too); the date, the counts and the shares as numbers.
    EXPECT_EQ(lines[1],
              u("\"Țăranu; Ș.\";\"Ștefan \"\"Ionuț\"\"\";\"3Î\";2026-12-01 10:00:05;4;2;1;66.67;100;50;;;;;"));
}

}  // namespace
