// Import of files written by others (fixtures/foreign, with their sources and licences): Moodle's own test files
// and examples for GIFT, Moodle XML and Aiken, and a GIFT parser's test file. Each is imported as a user would,
// and what Velmaris makes of it is what Moodle makes of it, down to the question the bank cannot hold.

#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

#include "bank_test_support.h"
#include "store/picture.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/source/bank_load.h"
#include "velmaris-bank/source/source_format.h"

namespace {

using banktest::readAll;
using banktest::tool;
using banktest::ToolRun;

const QString kForeign = QStringLiteral(BANK_FIXTURES "/foreign/");

struct Imported {
    ToolRun run;
    QList<bank::Question> questions;  // read back as build reads the folder
};

Imported importFile(const QString& name, const QString& folder)
{
    Imported result;
    result.run = tool({"import", kForeign + name, "-o", folder, "--skip-invalid"});
    if (result.run.status == 0) {
        const bank::LoadedBank back = bank::loadBank(folder, bank::BankFrom::Sources);
        for (const bank::SourceFault& f : back.faults)
            ADD_FAILURE() << f.toString().toStdString();
        result.questions = back.questions;
    }
    return result;
}

QStringList record(const bank::Question& q)
{
    return {q.text, q.sol1, q.sol2, q.sol3, q.rb};
}

// Each refused question as "line 'name': why", in file order.
QStringList refused(const QString& err, const QString& file)
{
    QStringList lines;
    for (const QString& line : err.split('\n'))
        if (line.startsWith(kForeign + file + ":"))
            lines << line.mid(kForeign.size() + file.size() + 1).remove(QStringLiteral("; skipped"));
    return lines;
}

TEST(ForeignFiles, MoodlesGiftTestFileAnswerFormatsAndKinds)
{
    QTemporaryDir dir;
    const QString file = "moodle-gift-questions.gift.txt";
    const Imported in = importFile(file, dir.path());
    ASSERT_EQ(in.run.status, 0) << in.run.err.toStdString();
    // "~[plain]blue # wrong": Moodle reads the answer "blue"; feedback is not kept.
    ASSERT_EQ(in.questions.size(), 1);
    EXPECT_EQ(record(in.questions[0]),
              (QStringList{"What's between orange and green in the spectrum?", "yellow", "red", "blue", "A"}));
    EXPECT_EQ(refused(in.run.err, file), (QStringList{
                                             "2: 'Q8': an essay question, not multiple choice",
                                             "5: 'Moodle activities': a matching question, not multiple choice",
                                             "22: 'colours': 4 answers; the bank needs exactly three",
                                             "31: 'Q5': a numerical question, not multiple choice",
                                             "34: 'Shortanswer': a short-answer question, not multiple choice",
                                             "41: 'Q1': a true/false question, not multiple choice",
                                             "46: '2-08 TSL': a true/false question, not multiple choice",
                                             "49: '2-08 TSL': a true/false question, not multiple choice",
                                         }));
}

TEST(ForeignFiles, AGiftParsersHtmlQuestionWithMoodleFormatAnswers)
{
    QTemporaryDir dir;
    const Imported in = importFile("peg-mcHTMLComment.gift", dir.path());
    ASSERT_EQ(in.run.status, 0) << in.run.err.toStdString();
    ASSERT_EQ(in.questions.size(), 1);
    EXPECT_EQ(record(in.questions[0]),
              (QStringList{"¿En qué supuestos podría el Fiscal autorizar a la Policía Judicial la práctica de una "
                           "diligencia de entrada y registro?",
                           "En ausencia del Juez de Instrucción, titular de la actuaciones, y por razones de urgencia, "
                           "debidamente acreditadas.",
                           "Cuando se trate de delitos de terrorismo.", "Nunca.", "C"}));
}

TEST(ForeignFiles, MoodlesGiftExamplesTakeOnlyThreeAnswerQuestions)
{
    QTemporaryDir dir;
    const QString file = "moodle-gift-examples.txt";
    const Imported in = importFile(file, dir.path());
    ASSERT_EQ(in.run.status, 0) << in.run.err.toStdString();
    QList<QStringList> got;
    for (const bank::Question& q : in.questions)
        got << record(q);
    const QStringList grant = {"Who's buried in Grant's tomb?", "Grant", "Jefferson", "no one", "C"};
    const QStringList entombed = {"Grant is _____ in Grant's tomb.", "buried", "entombed", "living", "B"};
    const QStringList thanksgiving = {
        "The American holiday of Thanksgiving is celebrated on the _____ Thursday of "
        "November.",
        "second", "third", "fourth", "C"};
    EXPECT_EQ(got, (QList<QStringList>{grant,
                                       entombed,
                                       grant,
                                       entombed,
                                       thanksgiving,
                                       thanksgiving,
                                       {"What's the answer to this multiple-choice question?", "wrong answer",
                                        "another wrong answer", "right answer", "C"},
                                       {"Which answer equals 5?", "= 2 + 2", "= 2 + 3", "= 2 + 4", "B"},
                                       grant,
                                       entombed,
                                       entombed}));
    // Everything else is named with its line and why: true/false, short answer, numerical, matching, four
    // answers, partial credit.
    const QStringList others = refused(in.run.err, file);
    EXPECT_EQ(others.size(), 32);
    for (const char* kind : {"true/false", "short-answer", "numerical", "matching", "4 answers", "partial credit"})
        EXPECT_TRUE(others.join('\n').contains(kind)) << kind;
    EXPECT_TRUE(
        others.contains("115: 'Difficult question.': answer b gives partial credit; the bank knows only "
                        "right and wrong"));
}

TEST(ForeignFiles, MoodleXmlPictureInTheOldImageField)
{
    QTemporaryDir dir;
    const QString file = "moodle-xml-old-image-tag.xml";
    const Imported in = importFile(file, dir.path());
    ASSERT_EQ(in.run.status, 0) << in.run.err.toStdString();
    EXPECT_EQ(refused(in.run.err, file),
              QStringList{"16: 'cloze question with image': a cloze question, not multiple choice"});
    ASSERT_EQ(in.questions.size(), 1);
    EXPECT_EQ(record(in.questions[0]),
              (QStringList{"This is a multichoice question with an image in the old \"image\" field that was used in "
                           "Moodle 1.9",
                           "wrong answer", "another wrong answer", "right answer", "C"}));
    // The 16 × 16 PNG of <image_base64>, pixel for pixel on white.
    const QByteArray xml = readAll(kForeign + file);
    const qsizetype start = xml.lastIndexOf("<image_base64>") + 14;
    QImage png;
    ASSERT_TRUE(png.loadFromData(
        QByteArray::fromBase64(xml.mid(start, xml.indexOf("</image_base64>", start) - start).trimmed()), "PNG"));
    QImage onWhite(png.size(), QImage::Format_ARGB32);
    onWhite.fill(Qt::white);
    QPainter(&onWhite).drawImage(0, 0, png);
    ASSERT_FALSE(in.questions[0].picture.isEmpty());
    EXPECT_EQ(store::decodePicture(in.questions[0].picture), onWhite);
}

TEST(ForeignFiles, MoodlesAikenTestFileHasNoThreeAnswerQuestion)
{
    QTemporaryDir dir;
    const QString file = "moodle-aiken-questions.aiken.txt";
    const ToolRun r = tool({"import", kForeign + file, "-o", dir.path(), "--format", "aiken"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(refused(r.err, file),
              (QStringList{
                  "1: 'The Moodle project was started by:': 4 answers; the bank needs exactly three",
                  "8: 'Moodle's abilities include handling user': 2 answers; the bank needs "
                  "exactly three",
              }));
}

}  // namespace
