// The bank printed for a black-and-white copy, read back with poppler's pdftotext.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

#include "bank_test_support.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"
#include "velmaris-bank/print/bank_print.h"
#include "velmaris-bank/source/bank_database.h"
#include "velmaris-bank/source/bank_load.h"
#include "velmaris-bank/source/source_format.h"

namespace {

const QString kBank = QStringLiteral(BANK_SOURCES);
const QString kPdfToText = QStringLiteral(PDFTOTEXT);

// Blanks of any kind go, so that a text wrapped in the narrow picture column compares whole.
QString squeezed(QString text)
{
    return text.remove(QRegularExpression("\\s+", QRegularExpression::UseUnicodePropertiesOption));
}

class PrintedMono : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "poppler's pdftotext runs on Linux: the Linux build reads the PDFs back";
#else
        if (!QFileInfo(kPdfToText).isExecutable()) {
            if (qgetenv("CI") == "true")
                FAIL() << "pdftotext is not installed (poppler-utils), and CI needs it";
            GTEST_SKIP() << "pdftotext is not installed (poppler-utils): the PDFs are not read back";
        }
#endif
    }

    // The pages of a PDF in reading order (not laid out: the picture's column stays one text), squeezed.
    QStringList pages(const QString& pdf)
    {
        QProcess p;
        p.start(kPdfToText, {pdf, "-"});
        p.waitForFinished(60000);
        QStringList out;
        for (const QString& page : QString::fromUtf8(p.readAllStandardOutput()).split('\f'))
            out << squeezed(page);
        return out;
    }

    static qsizetype pageOf(const QStringList& pages, const bank::Question& q)
    {
        const QString heading = squeezed(QString("Întrebarea %1 – %2").arg(q.number).arg(bank::ruleTitle(q.r1)));
        for (qsizetype p = 0; p < pages.size(); ++p)
            if (pages[p].contains(heading))
                return p;
        return -1;
    }

    static QString wordsOf(const bank::Question& q)
    {
        const auto parts = bank::splitPictureLine(q.r2);
        return parts ? bank::pictureInWords(bank::parseDescription(parts->second)) : QString();
    }
};

// With --mono every night and day picture has its lights and shapes in words on its own page; without it,
// none; and a picture that is no longer what its description draws gets no words that would mislead.
TEST_F(PrintedMono, EachPictureHasItsLightsAndShapesInWords)
{
    QTemporaryDir dir;
    QList<bank::Question> questions = bank::loadBank(kBank, bank::BankFrom::Sources).questions;
    qsizetype pasted = -1;  // a night picture replaced by another question's
    qsizetype described = 0;
    for (qsizetype i = 0; i < questions.size(); ++i) {
        if (wordsOf(questions[i]).isEmpty())
            continue;
        ++described;
        if (pasted < 0 && questions[i].r2.contains("night")) {
            pasted = i;
            for (const bank::Question& other : questions)
                if (!other.picture.isEmpty() && other.picture != questions[i].picture &&
                    wordsOf(other) != wordsOf(questions[i])) {
                    questions[i].picture = other.picture;
                    break;
                }
        }
    }
    ASSERT_GE(pasted, 0);
    ASSERT_GT(described, 40);
    const QString db = dir.filePath("bank.mdb");
    bank::writeDatabase(db, questions);

    const QString mono = dir.filePath("mono.pdf");
    const banktest::ToolRun r = banktest::tool({"print", db, "--mono", "-o", mono});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList text = pages(mono);
    for (qsizetype i = 0; i < questions.size(); ++i) {
        const QString words = wordsOf(questions[i]);
        if (words.isEmpty())
            continue;
        SCOPED_TRACE(questions[i].number);
        const qsizetype page = pageOf(text, questions[i]);
        ASSERT_GE(page, 0);
        EXPECT_EQ(text[page].contains(squeezed(words)), i != pasted) << words.toStdString();
    }
    const bank::Question seaplane =
        *std::find_if(questions.begin(), questions.end(), [](const bank::Question& q) { return q.number == 202; });
    EXPECT_TRUE(text[pageOf(text, seaplane)].contains(squeezed("verde, în stânga; roșie, în dreapta")));

    const QString colour = dir.filePath("colour.pdf");
    ASSERT_EQ(banktest::tool({"print", db, "-o", colour}).status, 0);
    const QString plain = pages(colour).join("");
    EXPECT_FALSE(plain.contains(squeezed("Lumini, de sus în jos")));
    EXPECT_FALSE(plain.contains(squeezed("Semne negre, de sus în jos")));

    const QString sheet = dir.filePath("sheet.pdf");
    ASSERT_EQ(banktest::tool({"print", db, "--sheet", "--seed", "7", "--mono", "-o", sheet}).status, 0);
    const QString sheetText = pages(sheet).join("");
    qsizetype sheetWords = 0;
    for (const qint64 n : bank::drawSheet(questions, 7))
        for (qsizetype i = 0; i < questions.size(); ++i)
            if (questions[i].number == n && i != pasted && !wordsOf(questions[i]).isEmpty()) {
                EXPECT_TRUE(sheetText.contains(squeezed(wordsOf(questions[i])))) << n;
                ++sheetWords;
            }
    EXPECT_GT(sheetWords, 0);
}

}  // namespace
