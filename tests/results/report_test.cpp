#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "results/presentation.h"
#include "results/report_pdf.h"
#include "store/error.h"

using namespace results;

namespace {

QString u(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const QString kPdfToText = QStringLiteral("/usr/bin/pdftotext");

// A cadet with diacritics in every field and more tests than one page holds.
Overview made(int tests)
{
    Overview o;
    o.student = Student{1, u("Țăranu-Ștefănescu"), u("Ionuț"), u("Punte 3Î")};
    const QDateTime first(QDate(2026, 9, 1), QTime(8, 0));
    for (int i = tests - 1; i >= 0; --i) {
        TestRecord t;
        t.id = i + 1;
        t.when = first.addDays(i);
        t.correct = 10 + i % 21;
        t.wrong = 30 - t.correct;
        t.grade = 4 + i % 7;
        t.percentage = t.correct * 100.0 / 30;
        t.practice = i % 4 == 3;
        o.history.push_back(t);
    }
    o.parts = {{u("Partea B"), 300, 0.4, 60, 0.5}, {u("Anexe"), 20, 0.1, 0, 0.0}};
    o.rules = {{u("Regula 19"), 30, 0.6, 6, 0.5}, {u("Regula 5"), 25, 0.2, 5, 0.0}};
    o.mistakes = {{212, u("Regula 19")}, {17, u("Regula 5")}};
    return o;
}

class Report : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "poppler's pdftotext runs on Linux: the Linux build reads the report back";
#else
        if (!QFileInfo(kPdfToText).isExecutable()) {
            if (qgetenv("CI") == "true")
                FAIL() << "pdftotext is not installed (poppler-utils), and CI needs it";
            GTEST_SKIP() << "pdftotext is not installed (poppler-utils): the report is not read back";
        }
#endif
    }

    // The report's pages as pdftotext reads them.
    static QStringList pages(const QString& pdf)
    {
        QProcess p;
        p.start(kPdfToText, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        p.waitForFinished(30000);
        QStringList result = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
        if (!result.isEmpty() && result.last().trimmed().isEmpty())
            result.removeLast();
        return result;
    }
};

TEST_F(Report, ReadsBackWithEveryTestNewestFirstOnNumberedPages)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u("raport-ț.pdf"));
    const Overview o = made(120);
    writePdfReport(o, pdf);
    const QStringList text = pages(pdf);
    ASSERT_GE(text.size(), 3) << "120 tests do not fit on one A4 page";
    for (int i = 0; i < text.size(); ++i)
        EXPECT_TRUE(text[i].contains(QStringLiteral("Pagina %1 din %2").arg(i + 1).arg(text.size()))) << i;
    const QString all = text.join(QString());
    EXPECT_TRUE(all.contains(u("Cursant: Țăranu-Ștefănescu Ionuț, grupa Punte 3Î")));
    // Every test once, in the history's order (newest first).
    qsizetype at = 0;
    for (const TestRecord& t : o.history) {
        const qsizetype found = all.indexOf(dateText(t.when), at);
        ASSERT_GE(found, 0) << dateText(t.when).toStdString() << " missing or out of order";
        at = found + 1;
    }
    for (const char* expected : {"Părțile COLREG, cele mai slabe întâi", "Regula 19", "Întrebarea 212", "Greșite"})
        EXPECT_TRUE(all.contains(u(expected))) << expected;
}

TEST_F(Report, AFileThatCannotBeWrittenIsReportedWhereAndInRomanian)
{
    QTemporaryDir dir;
    // A folder that does not exist, and a name that is a folder.
    for (const QString& path : {dir.filePath(QStringLiteral("lipsă/raport.pdf")), dir.path()}) {
        try {
            writePdfReport(made(3), path);
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const store::Error& e) {
            const QString message = QString::fromUtf8(e.what());
            EXPECT_TRUE(message.startsWith(u("Raportul nu a putut fi scris în ") + path)) << e.what();
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

}  // namespace
