// Import as Moodle reads a file: texts in every Moodle format, pictures in the old fields and too large ones,
// Aiken's answer forms, what a source cannot hold, and exports that Moodle (and import) read back as written.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>

#include "bank_test_support.h"
#include "store/picture.h"
#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/formats/bank_import.h"
#include "velmaris-bank/formats/gift.h"
#include "velmaris-bank/formats/moodle_xml.h"
#include "velmaris-bank/source/bank_database.h"
#include "velmaris-bank/source/bank_load.h"
#include "velmaris-bank/source/source_format.h"

namespace {

using banktest::readAll;
using banktest::tool;
using banktest::ToolRun;
using banktest::writeAll;

const QString kBank = QStringLiteral(BANK_SOURCES);

using Reader = std::function<QList<bank::ImportedQuestion>(const QByteArray&)>;

// The questions of a file as import sorts them: each valid one with its letter, each other one with its problem.
QList<bank::ImportedQuestion> judged(const Reader& read, const QByteArray& file)
{
    QList<bank::ImportedQuestion> questions = read(file);
    for (bank::ImportedQuestion& q : questions)
        bank::correctLetter(q);
    return questions;
}

// One multiple-choice question of Moodle XML whose texts are in the given format.
QByteArray moodleXml(const QString& format, const QString& text, const QString& answer = "a")
{
    const QString texts[] = {text, answer, QStringLiteral("b"), QStringLiteral("c")};
    QString escaped[4];
    for (int i = 0; i < 4; ++i)
        escaped[i] = texts[i].toHtmlEscaped();  // as XML: the element holds the text
    return QString(
               "<?xml version=\"1.0\"?>\n<quiz>\n<question type=\"multichoice\"><name><text>N</text></name>"
               "<questiontext format=\"%1\"><text>%2</text></questiontext>"
               "<answer fraction=\"100\" format=\"%1\"><text>%3</text></answer>"
               "<answer fraction=\"0\" format=\"%1\"><text>%4</text></answer>"
               "<answer fraction=\"0\" format=\"%1\"><text>%5</text></answer></question>\n</quiz>\n")
        .arg(format, escaped[0], escaped[1], escaped[2], escaped[3])
        .toUtf8();
}

TEST(ImportText, EveryEntityIsDecodedAsMoodleShowsIt)
{
    const QString romanian = QStringLiteral(
        "Nava &icirc;n drum &ndash; &bdquo;&#537;i&rdquo; &#x21B;ine &rsquo;n "
        "&hellip;&nbsp;5&nbsp;Mm &amp;&lt;b&gt; <b>tare</b><br>apoi");
    const QString shown = QStringLiteral("Nava în drum – „și” ține ’n …\u00a05\u00a0Mm &<b> tare apoi");
    struct Case {
        const char* name;
        Reader read;
        QByteArray file;
        QString text;
        QString answer;
    };
    const Case cases[] = {
        {"moodle xml html", bank::readMoodleXml, moodleXml("html", "<p>" + romanian + "</p>"), shown, "a"},
        {"moodle xml auto format", bank::readMoodleXml, moodleXml("moodle_auto_format", romanian), shown, "a"},
        {"moodle xml answer", bank::readMoodleXml, moodleXml("html", "Ce?", "&icirc;nainte &ndash; da"), "Ce?",
         "înainte – da"},
        // Moodle's own text format for GIFT is HTML with line breaks: an untagged GIFT text is HTML too.
        {"gift html", bank::readGift, ("[html]" + romanian + " {=a ~b ~c}\n").toUtf8(), shown, "a"},
        {"gift untagged", bank::readGift, (romanian + " {=&icirc;n ~b ~c}\n").toUtf8(), shown, "în"},
        {"gift markdown", bank::readGift, "[markdown]Ce **lumini** *arată* o navă `NUC`? {=a ~b ~c}\n",
         "Ce lumini arată o navă NUC?", "a"},
        // "<50" opens no tag in a browser; an em space stays what it is.
        {"gift less than", bank::readGift, "[html]Navă <50 m &amp; 2\u2003m? {=a ~b ~c}\n",
         QStringLiteral("Navă <50 m & 2\u2003m?"), "a"},
        // Plain text is shown as written.
        {"moodle xml plain", bank::readMoodleXml, moodleXml("plain_text", "a &icirc; <b>"), "a &icirc; <b>", "a"},
        {"gift plain", bank::readGift, "[plain]a &icirc; <b> {=a ~b ~c}\n", "a &icirc; <b>", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<bank::ImportedQuestion> questions = judged(c.read, c.file);
        ASSERT_EQ(questions.size(), 1);
        EXPECT_EQ(questions[0].problem, "");
        EXPECT_EQ(questions[0].text, c.text);
        ASSERT_EQ(questions[0].answers.size(), 3);
        EXPECT_EQ(questions[0].answers[0].text, c.answer);
    }
}

TEST(ImportText, AnEntityThatCannotBeDecodedIsNamedNotKept)
{
    for (const QByteArray& file :
         {moodleXml("html", "Nav&abreve; &icirc;n drum"), QByteArray("[html]Nav&abreve; &icirc;n drum {=a ~b ~c}\n")}) {
        const Reader read = file.startsWith('<') ? Reader(bank::readMoodleXml) : Reader(bank::readGift);
        const QList<bank::ImportedQuestion> questions = judged(read, file);
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions[0].problem.contains("'&abreve;' is an HTML entity that cannot be decoded"))
            << questions[0].problem.toStdString();
    }
}

TEST(ImportGift, FormatTagsAndWeightsAsMoodleReadsThem)
{
    struct Case {
        const char* gift;
        QStringList answers;  // text, then "=" for the fully correct one
        const char* problem;
    };
    const Case cases[] = {
        {"Ce culoare? {\n=[plain]blue\n~[html]<b>Trei</b>\n~[markdown]**verde**\n}", {"blue=", "Trei", "verde"}, ""},
        // Answers take the question's format unless they have their own.
        {"[html]Ce? {=&icirc;n ~<i>b</i> ~[plain]<i>c</i>}", {"în=", "b", "<i>c</i>"}, ""},
        {"[plain]Ce <b>? {=&icirc;n ~<i>b</i> ~[html]<i>c</i>}", {"&icirc;n=", "<i>b</i>", "c"}, ""},
        // Only the four names Moodle knows are tags, written exactly so.
        {"Ce? {=[foo]a ~[HTML]b ~c}", {"[foo]a=", "[HTML]b", "c"}, ""},
        // A weight after '~' only, with Moodle's digits; after '=' it is text of a right answer.
        {"Ce? {=%50%a ~b ~c}", {"%50%a=", "b", "c"}, ""},
        {"Ce? {=a ~%5,5%b ~c}", {"a=", "%5,5%b", "c"}, ""},
        {"Ce? {=a ~%-33.33333%b ~%0%c}", {"a=", "b", "c"}, ""},
        {"Ce? {=a ~%50%b ~c}", {"a=", "b", "c"}, "answer b gives partial credit"},
        {"Ce? {~%100%a ~b ~c}", {"a=", "b", "c"}, ""},
        // Text before the first '~' or '=' is a wrong answer to Moodle.
        {"Ce? {a ~b =c}", {"a", "b", "c="}, ""},
        // Moodle decides multiple choice by a '~' alone: "->" in an answer is text then.
        {"Ce? {=a -> 1 ~b ~c}", {"a -> 1=", "b", "c"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gift);
        QList<bank::ImportedQuestion> questions = judged(bank::readGift, QByteArray(c.gift) + "\n");
        ASSERT_EQ(questions.size(), 1);
        if (*c.problem) {
            EXPECT_TRUE(questions[0].problem.startsWith(QString::fromUtf8(c.problem)))
                << questions[0].problem.toStdString();
        } else {
            EXPECT_EQ(questions[0].problem, "");
        }
        QStringList got;
        for (const bank::Answer& a : questions[0].answers)
            got << a.text + (a.fraction == 1.0 ? "=" : "");
        EXPECT_EQ(got, c.answers);
    }
}

TEST(ImportAiken, AnswerLinesAsMoodlesReaderTakesThem)
{
    struct Case {
        const char* file;
        const char* text;
        QStringList answers;
        const char* key;
    };
    const Case cases[] = {
        {"Ce e?\nA)Unu\nB) Doi\nC. Trei\nANSWER: A\n", "Ce e?", {"Unu", "Doi", "Trei"}, "A"},
        {"Ce e?\nA.Unu\nB)\tDoi\nC)  Trei\nANSWER: C\n", "Ce e?", {"Unu", "Doi", "Trei"}, "C"},
        // A lower-case letter is no answer line: it goes on the question, which may run over several lines.
        {"Ce e\na) în listă?\nA) Unu\nB) Doi\nC) Trei\nANSWER: B\n", "Ce e a) în listă?", {"Unu", "Doi", "Trei"}, "B"},
        // The letter counts the answers in their order, whatever their labels.
        {"Ce e?\nA) Unu\nC) Doi\nD) Trei\nANSWER: B\n", "Ce e?", {"Unu", "Doi", "Trei"}, "B"},
        // An old Macintosh file: its lines end in a carriage return alone.
        {"Ce e?\rA) Unu\rB) Doi\rC) Trei\rANSWER: A\r", "Ce e?", {"Unu", "Doi", "Trei"}, "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QList<bank::ImportedQuestion> questions = bank::readAiken(c.file);
        ASSERT_EQ(questions.size(), 1);
        const QString key = bank::correctLetter(questions[0]);
        EXPECT_EQ(questions[0].problem, "");
        EXPECT_EQ(questions[0].text, QString::fromUtf8(c.text));
        QStringList got;
        for (const bank::Answer& a : questions[0].answers)
            got << a.text;
        EXPECT_EQ(got, c.answers);
        EXPECT_EQ(key, c.key);
    }
}

// A PNG that claims a size in its header, with a tiny body: what a reader learns before decoding.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(one);
    qToBigEndian(width, png.data() + 16);  // IHDR's width and height, then its CRC over type and data
    qToBigEndian(height, png.data() + 20);
    quint32 crc = 0xFFFFFFFF;
    for (qsizetype i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (crc & 1 ? 0xEDB88320u : 0u);
    }
    qToBigEndian(~crc, png.data() + 29);
    return png;
}

QByteArray xmlWithPicture(const QByteArray& picture)
{
    return "<?xml version=\"1.0\"?>\n<quiz>\n<question type=\"multichoice\"><name><text>Mare</text></name>"
           "<questiontext format=\"html\"><text><![CDATA[<p>Ce?</p><img src=\"@@PLUGINFILE@@/mare.png\">]]></text>"
           "<file name=\"mare.png\" encoding=\"base64\">" +
           picture.toBase64() +
           "</file></questiontext><answer fraction=\"100\"><text>a</text></answer>"
           "<answer fraction=\"0\"><text>b</text></answer><answer fraction=\"0\"><text>c</text></answer>"
           "</question>\n</quiz>\n";
}

TEST(ImportPicture, ATooLargePictureIsRefusedWithTheLimitBeforeItIsDecoded)
{
    struct Case {
        quint32 width;
        quint32 height;
        const char* problem;
    };
    const Case cases[] = {
        {40000, 40000,
         "the picture 'mare.png' is too large: 40000 × 40000 pixels, where the limit is 4096 × 4096 pixels"},
        {4097, 10, "the picture 'mare.png' is too large: 4097 × 10 pixels, where the limit is 4096 × 4096 pixels"},
        {10, 4097, "the picture 'mare.png' is too large: 10 × 4097 pixels, where the limit is 4096 × 4096 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.problem);
        const QList<bank::ImportedQuestion> questions =
            judged(bank::readMoodleXml, xmlWithPicture(pngHeaderOnly(c.width, c.height)));
        ASSERT_EQ(questions.size(), 1);
        EXPECT_EQ(questions[0].problem, QString::fromUtf8(c.problem));
    }
}

TEST(ImportPicture, APicturesResolutionIsKept)
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setDotsPerMeterX(2835);  // 72 dpi
    image.setDotsPerMeterY(5906);  // 150 dpi
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
    QTemporaryDir dir;
    writeAll(dir.filePath("p.xml"), xmlWithPicture(png));
    const ToolRun r = tool({"import", dir.filePath("p.xml"), "-o", dir.filePath("in")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray bmp = readAll(dir.filePath("in/pictures/000.bmp"));
    ASSERT_GE(bmp.size(), 54);
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 38), 2835);
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 42), 5906);
}

// Moodle XML, GIFT and Aiken exports of the bank, imported into an empty folder and exported again, give the same
// bytes: names and numbers, pictures with their resolution, escapes.
TEST(ImportRoundTrip, OurExportsComeBackByteForByte)
{
    QTemporaryDir dir;
    for (const QString format : {"moodle-xml", "gift", "aiken"}) {
        SCOPED_TRACE(format.toStdString());
        const QString first = dir.filePath("first." + format);
        const QString second = dir.filePath("second." + format);
        const QString folder = dir.filePath("in-" + format);
        ToolRun r = tool({"export", kBank, "--format", format, "-o", first});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        r = tool({"import", first, "-o", folder, "--format", format});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        r = tool({"export", folder, "--format", format, "-o", second});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QByteArray before = readAll(first);
        const QByteArray after = readAll(second);
        EXPECT_GT(before.size(), 10000);
        EXPECT_TRUE(before == after) << "the second export differs from byte " << [&] {
            qsizetype i = 0;
            while (i < before.size() && i < after.size() && before[i] == after[i])
                ++i;
            return i;
        }();
    }
}

// Texts a source field cannot hold, in any format: refused by name and line, never written for build to refuse.
TEST(ImportCharacters, WhatBuildWouldRefuseIsRefusedByLine)
{
    struct Case {
        const char* name;
        Reader read;
        QByteArray file;
        int line;
        const char* problem;
    };
    const Case cases[] = {
        {"gift text", bank::readGift,
         "::Bun::Ce? {=a ~b ~c}\n\n::Rău::Ce\xef\xbb\xbf"
         "e? {=a ~b ~c}\n",
         3, "the question text holds the invisible character U+FEFF (byte order mark)"},
        {"gift answer entity", bank::readGift, "::Bun::Ce? {=a ~b ~c}\n\n::Rău::[html]Ce? {=a ~b&\\#xfeff; ~c}\n", 3,
         "answer b holds the invisible character U+FEFF (byte order mark)"},
        {"aiken answer", bank::readAiken,
         "Ce?\nA. a\nB. b\nC. c\xef\xbb\xbf\nANSWER: A\n\nAlta?\nA. a\nB. b\nC. c\nANSWER: B\n", 1,
         "answer c holds the invisible character U+FEFF (byte order mark)"},
        {"xml control character", bank::readMoodleXml, moodleXml("html", "Ce&#1;?"), 3,
         "the question text holds the control character U+0001"},
        {"xml rule", bank::readMoodleXml,
         QString(moodleXml("html", "Ce?")).replace("<text>N</text>", "<text>012 – Regula 5\u0085(a)</text>").toUtf8(),
         3, "the Rule in its name holds the control character U+0085"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bank::ReadExchange read = bank::sortQuestions(c.read(c.file));
        ASSERT_EQ(read.invalid.size(), 1);
        EXPECT_EQ(read.invalid[0].line, c.line);
        EXPECT_EQ(read.invalid[0].problem, QString::fromUtf8(c.problem));
    }

    // Through the tool: the question is named and nothing is written; with --skip-invalid what is written builds.
    QTemporaryDir dir;
    const QString gift = dir.filePath("bom.gift");
    writeAll(gift, cases[0].file);
    ToolRun r = tool({"import", gift, "-o", dir.filePath("in")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(gift + ":3: 'Rău': the question text holds the invisible character U+FEFF"))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("in")));
    r = tool({"import", gift, "-o", dir.filePath("in"), "--skip-invalid"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = tool({"build", dir.filePath("in"), "-o", dir.filePath("in.mdb")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
}

// Texts that GIFT and Aiken would carry wrongly unless escaped: Moodle's reader (and ours, which reads as Moodle
// does) gets back what was written, or the question is left out and listed.
TEST(ExportEscapes, MoodleReadsBackWhatWasWritten)
{
    QList<bank::Question> questions;
    const auto add = [&](const QString& text, const QString& a, const QString& b, const QString& c, const char* key) {
        bank::Question q;
        q.number = questions.size();
        q.text = text;
        q.sol1 = a;
        q.sol2 = b;
        q.sol3 = c;
        q.rb = key;
        q.r1 = "8(a)";
        questions.append(q);
    };
    add("Cât din viteză?", "%50% din viteză", "%-100% nimic", "[html]<b>tot</b>", "A");
    add("[html]<b>Ce</b> arată?", "&icirc; e scris așa", "[plain]x", "[markdown]**y**", "B");
    add("Trei < cinci & doi > unu?", "Da", "Nu", "%5,5% poate", "C");
    add("A. Ce navă arată o lumină?", "a", "b", "c", "A");  // Aiken would read it as an answer line
    add("B) Ce arată?", "a", "b", "c", "A");
    add("ANSWER: ce?", "a", "b", "c", "A");

    QList<bank::ImportedQuestion> gift = judged(bank::readGift, bank::writeGift(questions).bytes);
    ASSERT_EQ(gift.size(), questions.size());
    for (qsizetype i = 0; i < gift.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(gift[i].problem, "");
        EXPECT_EQ(gift[i].text, questions[i].text);
        ASSERT_EQ(gift[i].answers.size(), 3);
        EXPECT_EQ(gift[i].answers[0].text, questions[i].sol1);
        EXPECT_EQ(gift[i].answers[1].text, questions[i].sol2);
        EXPECT_EQ(gift[i].answers[2].text, questions[i].sol3);
        EXPECT_EQ(bank::correctLetter(gift[i]), questions[i].rb);
    }

    // Aiken has no escapes: the three that start like an answer or an ANSWER line are left out and listed.
    QTemporaryDir dir;
    bank::writeDatabase(dir.filePath("q.mdb"), questions);
    const ToolRun r = tool({"export", dir.filePath("q.mdb"), "--format", "aiken", "-o", dir.filePath("q.txt")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(
        r.err.contains("3 question(s) left out: Moodle would read their text as an answer or an ANSWER line, "
                       "or skip it, and aiken has no escapes (3 4 5)"))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(": 3 questions,")) << r.out.toStdString();
    QList<bank::ImportedQuestion> aiken = judged(bank::readAiken, readAll(dir.filePath("q.txt")));
    ASSERT_EQ(aiken.size(), 3);
    for (qsizetype i = 0; i < aiken.size(); ++i) {
        EXPECT_EQ(aiken[i].text, questions[i].text);
        EXPECT_EQ(aiken[i].answers[2].text, questions[i].sol3);
    }
}

}  // namespace
