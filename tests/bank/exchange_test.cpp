// The bank in and out: Moodle XML, GIFT and Aiken export and import, and the printed PDFs.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtEndian>

#include <algorithm>
#include <functional>

#include "bank_test_support.h"
#include "store/picture.h"
#include "velmaris-bank/bank/bank_error.h"
#include "velmaris-bank/formats/aiken.h"
#include "velmaris-bank/formats/bank_exchange.h"
#include "velmaris-bank/formats/bank_import.h"
#include "velmaris-bank/formats/gift.h"
#include "velmaris-bank/formats/moodle_xml.h"
#include "velmaris-bank/pictures/picture_description.h"
#include "velmaris-bank/pictures/picture_generator.h"
#include "velmaris-bank/print/bank_print.h"
#include "velmaris-bank/source/bank_database.h"
#include "velmaris-bank/source/bank_load.h"

namespace {

const QString kBank = QStringLiteral(BANK_SOURCES);

using banktest::lines;
using banktest::readAll;
using banktest::tool;
using banktest::ToolRun;
using banktest::writeAll;
const QString kPdfToText = QStringLiteral(PDFTOTEXT);
const QString kPdfImages = QStringLiteral(PDFIMAGES);

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return lines(p.readAllStandardOutput());
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

// Questions whose texts hold what each format must escape or keep: GIFT's ~ = # { } : and backslash, HTML's
// < > & ", a CDATA end, Romanian letters, quotes and a non-breaking space. Numbers 0..n-1, so that an import
// from 0 gives them back their numbers.
QList<bank::Question> trickyQuestions(bool withPictures)
{
    const QString texts[] = {
        QStringLiteral("Ce arată „două lumini” roșii, la 2\u00a0mile marine: ~ = # { } \\ ?"),
        QStringLiteral("Navă <50\u00a0m & „RAM” \"stânjenită\"; a]]>b: ce faceți?"),
        QStringLiteral("Întrebare cu ș ț ă î â Ș Ț Ă Î Â și 22,5°, 112,5° – 135°"),
        QStringLiteral("::Nu e titlu:: și nici {=răspuns} ~greșit #feedback"),
    };
    QList<bank::Question> questions;
    for (int i = 0; i < 4; ++i) {
        bank::Question q;
        q.number = i;
        q.text = texts[i];
        q.sol1 = QString("Varianta a) cu %1 ~ și = semne").arg(i);
        q.sol2 = QStringLiteral("Varianta b) <b>nu</b> e HTML, ci text & atât");
        q.sol3 = QString("Varianta c) „ghilimele” și \\ bară inversă {%1}").arg(i);
        q.r1 = QStringList{"23(a)", "Anexa I 2(f)", "16, 8", "37, Anexa IV"}[i];
        q.rb = QString(QChar("CABB"[i]));
        questions.append(q);
    }
    if (withPictures) {
        // A drawn night picture, and a picture as large as the view allows with odd pixels everywhere.
        questions[0].picture = bank::drawPicture(bank::parseDescription("night; kind=power; len=120; aspect=ahead"));
        QImage odd(170, 474, QImage::Format_RGB32);
        for (int y = 0; y < odd.height(); ++y)
            for (int x = 0; x < odd.width(); ++x)
                odd.setPixel(x, y, qRgb((x * 7 + y) & 0xff, (x * y) & 0xff, (y * 3) & 0xff));
        questions[2].picture = store::encodeBmp(odd);
    }
    return questions;
}

// The questions an import writes, read back as build reads them.
QList<bank::Question> importedBack(const QList<bank::ImportedQuestion>& questions, const QString& folder)
{
    bank::ReadExchange read;
    for (bank::ImportedQuestion q : questions) {
        const QString key = bank::correctLetter(q);
        EXPECT_EQ(q.problem, "") << q.name.toStdString();
        read.valid.append(q);
        read.keys.append(key);
    }
    bank::writeImported(read, folder, 0);
    const bank::LoadedBank back = bank::loadBank(folder, bank::BankFrom::Sources);
    for (const bank::SourceFault& f : back.faults)
        ADD_FAILURE() << f.toString().toStdString();
    return back.questions;
}

void expectSameQuestion(const bank::Question& got, const bank::Question& want, bool ruleTravels)
{
    SCOPED_TRACE(want.number);
    EXPECT_EQ(got.number, want.number);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.sol1, want.sol1);
    EXPECT_EQ(got.sol2, want.sol2);
    EXPECT_EQ(got.sol3, want.sol3);
    EXPECT_EQ(got.rb, want.rb);
    EXPECT_EQ(got.r1, ruleTravels ? want.r1 : QString());
    EXPECT_EQ(got.picture.isEmpty(), want.picture.isEmpty());
    if (!want.picture.isEmpty()) {
        EXPECT_EQ(store::decodePicture(got.picture), store::decodePicture(want.picture));
    }
}

TEST(ExchangeRoundTrip, MoodleXmlCarriesEverythingPicturesPixelForPixel)
{
    const QList<bank::Question> questions = trickyQuestions(true);
    QTemporaryDir dir;
    const QList<bank::Question> back =
        importedBack(bank::readMoodleXml(bank::writeMoodleXml(questions)), dir.filePath("in"));
    ASSERT_EQ(back.size(), questions.size());
    for (qsizetype i = 0; i < back.size(); ++i)
        expectSameQuestion(back[i], questions[i], true);
    EXPECT_EQ(filesUnder(dir.filePath("in")),
              (QStringList{"000-003-importate.txt", "pictures/000.bmp", "pictures/002.bmp"}));
}

TEST(ExchangeRoundTrip, GiftAndAikenCarryTheTextAndLeaveOutPictureQuestions)
{
    const QList<bank::Question> questions = trickyQuestions(true);
    struct Case {
        const char* name;
        std::function<bank::TextExport(const QList<bank::Question>&)> write;
        std::function<QList<bank::ImportedQuestion>(const QByteArray&)> read;
        bool ruleTravels;
    };
    const Case cases[] = {
        {"gift", bank::writeGift, bank::readGift, true},
        {"aiken", bank::writeAiken, bank::readAiken, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bank::TextExport text = c.write(questions);
        EXPECT_EQ(text.leftOut, (QList<qint64>{0, 2}));
        QTemporaryDir dir;
        const QList<bank::Question> back = importedBack(c.read(text.bytes), dir.filePath("in"));
        ASSERT_EQ(back.size(), 2);
        // Renumbered from 0: the two text questions were 1 and 3.
        bank::Question want1 = questions[1];
        bank::Question want3 = questions[3];
        want1.number = 0;
        want3.number = 1;
        expectSameQuestion(back[0], want1, c.ruleTravels);
        expectSameQuestion(back[1], want3, c.ruleTravels);
    }
}

TEST(ExchangeRoundTrip, TheWholeBankComesBackFromMoodleXml)
{
    const bank::LoadedBank bank = bank::loadBank(kBank, bank::BankFrom::Sources);
    ASSERT_TRUE(bank.faults.isEmpty());
    QTemporaryDir dir;
    const QList<bank::Question> back =
        importedBack(bank::readMoodleXml(bank::writeMoodleXml(bank.questions)), dir.filePath("in"));
    ASSERT_EQ(back.size(), bank.questions.size());
    for (qsizetype i = 0; i < back.size(); ++i)
        expectSameQuestion(back[i], bank.questions[i], true);
}

TEST(MoodleXml, EachQuestionHasTheDocumentedFields)
{
    const QList<bank::Question> questions = trickyQuestions(true);
    const QByteArray bytes = bank::writeMoodleXml(questions);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<quiz>"));

    // Walks the file: categories, then for each multichoice the fields Moodle reads.
    QXmlStreamReader xml(bytes);
    ASSERT_TRUE(xml.readNextStartElement());
    QStringList categories;
    int index = 0;
    while (xml.readNextStartElement()) {
        ASSERT_EQ(xml.name(), u"question");
        const QString type = xml.attributes().value("type").toString();
        QMap<QString, QString> fields;
        QStringList fractions;
        QStringList answers;
        QString fileName;
        QString questionHtml;
        while (xml.readNextStartElement()) {
            const QString name = xml.name().toString();
            if (name == "answer") {
                fractions << xml.attributes().value("fraction").toString();
                EXPECT_EQ(xml.attributes().value("format"), u"html");
                while (xml.readNextStartElement()) {
                    if (xml.name() == u"text")
                        answers << xml.readElementText();
                    else
                        fields["answer " + xml.name().toString()] =
                            xml.readElementText(QXmlStreamReader::IncludeChildElements);
                }
            } else if (name == "questiontext") {
                EXPECT_EQ(xml.attributes().value("format"), u"html");
                while (xml.readNextStartElement()) {
                    if (xml.name() == u"text") {
                        questionHtml = xml.readElementText();
                    } else {
                        EXPECT_EQ(xml.name(), u"file");
                        EXPECT_EQ(xml.attributes().value("encoding"), u"base64");
                        EXPECT_EQ(xml.attributes().value("path"), u"/");
                        fileName = xml.attributes().value("name").toString();
                        QImage png;
                        EXPECT_TRUE(png.loadFromData(QByteArray::fromBase64(xml.readElementText().toLatin1()), "PNG"));
                        EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32),
                                  store::decodePicture(questions[index].picture));
                    }
                }
            } else {
                fields[name] = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            }
        }
        if (type == "category") {
            categories << fields["category"];
            continue;
        }
        ASSERT_EQ(type, "multichoice");
        const bank::Question& q = questions[index];
        SCOPED_TRACE(q.number);
        EXPECT_EQ(fields["name"], bank::exchangeName(q.number, q.r1));
        EXPECT_TRUE(questionHtml.startsWith("<p>" + q.text.toHtmlEscaped() + "</p>")) << questionHtml.toStdString();
        if (q.picture.isEmpty()) {
            EXPECT_EQ(fileName, "");
        } else {
            EXPECT_EQ(fileName, QString("%1.png").arg(q.number, 3, 10, QChar('0')));
            EXPECT_TRUE(questionHtml.contains("src=\"@@PLUGINFILE@@/" + fileName + "\""));
        }
        EXPECT_EQ(fields["single"], "true");
        EXPECT_EQ(fields["shuffleanswers"], "false");
        EXPECT_EQ(fields["answernumbering"], "abc");
        EXPECT_EQ(fields["defaultgrade"], "1.0000000");
        EXPECT_TRUE(fields.contains("generalfeedback") && fields.contains("penalty") && fields.contains("hidden"));
        EXPECT_EQ(fields["correctfeedback"], "<p>Răspuns BUN. Bravo!</p>");
        EXPECT_EQ(fields["incorrectfeedback"], "<p>Răspuns ERONAT. Învață!</p>");
        EXPECT_TRUE(fields.contains("partiallycorrectfeedback"));
        EXPECT_TRUE(fields.contains("answer feedback"));
        QStringList wantFractions = {"0", "0", "0"};
        wantFractions[q.rb.at(0).unicode() - 'A'] = "100";
        EXPECT_EQ(fractions, wantFractions);
        EXPECT_EQ(answers, (QStringList{q.sol1.toHtmlEscaped(), q.sol2.toHtmlEscaped(), q.sol3.toHtmlEscaped()}));
        ++index;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(index, questions.size());
    // One switch per run of a Part: C, Anexe, B, D.
    EXPECT_EQ(categories, (QStringList{"$course$/top/RIPPAM/Partea C – Lumini și semne", "$course$/top/RIPPAM/Anexe",
                                       "$course$/top/RIPPAM/Partea B – Reguli de guvernare și navigație",
                                       "$course$/top/RIPPAM/Partea D – Semnale sonore și luminoase"}));
}

TEST(Exchange, CategoryComesFromTheRuleReference)
{
    struct Case {
        const char* rule;
        int number;
        const char* category;
    };
    const Case cases[] = {
        {"3(h)", 200, "Partea A – Generalități"},
        {"19(d)(i)", 0, "Partea B – Reguli de guvernare și navigație"},
        {"31", 0, "Partea C – Lumini și semne"},
        {"37, Anexa IV", 0, "Partea D – Semnale sonore și luminoase"},
        {"38", 0, "Partea E – Scutiri"},
        {"41(a)", 0, "Partea F – Verificarea conformității"},
        {"Anexa III 1(b)", 10, "Anexe"},
        {"", 250, "Anexe"},  // no Rule: the number's Part
        {"vezi manualul", 120, "Partea C – Lumini și semne"},
        {"", 900, "Altele"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bank::colregCategory(c.rule, c.number), QString::fromUtf8(c.category)) << c.rule;
}

TEST(Gift, EscapesEverySpecialCharacter)
{
    bank::Question q = trickyQuestions(false)[0];
    const QString gift = QString::fromUtf8(bank::writeGift({q}).bytes);
    EXPECT_TRUE(
        gift.contains("::000 – Regula 23(a)::[plain]Ce arată „două lumini” roșii, la 2\u00a0mile marine\\: "
                      "\\~ \\= \\# \\{ \\} \\\\ ? {\n"))
        << gift.toStdString();
    EXPECT_TRUE(gift.contains("\t~Varianta a) cu 0 \\~ și \\= semne\n"));
    EXPECT_TRUE(gift.contains("\t=Varianta c) „ghilimele” și \\\\ bară inversă \\{0\\}\n"));
    EXPECT_TRUE(gift.contains("\n$CATEGORY: $course$/top/RIPPAM/Partea C – Lumini și semne\n"));
}

// What each reader makes of questions the bank cannot hold, and of those it can.
TEST(Import, ReportsEachQuestionTheBankCannotHoldWithItsLine)
{
    struct Case {
        const char* name;
        std::function<QList<bank::ImportedQuestion>(const QByteArray&)> read;
        QByteArray file;
        QStringList expected;  // "line name: problem", an empty problem for a valid question
    };
    const Case cases[] = {
        {"gift",
         bank::readGift,
         "// comentariu\n"
         "$CATEGORY: $course$/top/X\n"
         "\n"
         "::Bun::Ce e? {=Da ~Nu ~Poate}\n"
         "\n"
         "::Penalizat::Ce e? {\n"
         "  ~%-50%Nu #greșit\n"
         "  =Da\n"
         "  ~Poate\n"
         "}\n"
         "\n"
         "::AF::Marea e sărată. {T}\n"
         "\n"
         "::Patru::Ce e? {=A ~B ~C ~D}\n"
         "\n"
         "::Doua::Ce e? {=A =B ~C}\n"
         "\n"
         "::Partial::Ce e? {=A ~%50%B ~C}\n"
         "\n"
         "::Scurt::Cine e? {=Ion =Ionel}\n"
         "\n"
         "::Pereche::Potriviți. {=a -> 1 =b -> 2 =c -> 3}\n"
         "\n"
         "::Numeric::Cât? {#3:1}\n"
         "\n"
         "::Eseu::Scrieți. {}\n"
         "\n"
         "Doar un text.\n"
         "\n"
         "::Lipsa::Nava {~roșie =verde ~albă} arată tribordul.\n",
         {"4 Bun: ", "6 Penalizat: ", "12 AF: a true/false question, not multiple choice",
          "14 Patru: 4 answers; the bank needs exactly three", "16 Doua: more than one answer is fully correct",
          "18 Partial: answer b gives partial credit; the bank knows only right and wrong",
          "20 Scurt: a short-answer question, not multiple choice",
          "22 Pereche: a matching question, not multiple choice",
          "24 Numeric: a numerical question, not multiple choice", "26 Eseu: an essay question, not multiple choice",
          "28 Doar un text.: a description without answers, not a question", "30 Lipsa: "}},
        {"aiken",
         bank::readAiken,
         "Ce e?\nA. Da\nB. Nu\nC) Poate\nANSWER: A\n"
         "\n"
         "Patru?\nA. 1\nB. 2\nC. 3\nD. 4\nANSWER: D\n"
         "Litera?\nA. 1\nB. 2\nC. 3\nANSWER: E\n",
         {"1 Ce e?: ", "7 Patru?: 4 answers; the bank needs exactly three",
          "13 Litera?: ANSWER: 'E' is not the letter of one of its answers"}},
        {"moodle",
         bank::readMoodleXml,
         "<?xml version=\"1.0\"?>\n<quiz>\n"
         "<question type=\"category\"><category><text>$course$/X</text></category></question>\n"
         "<question type=\"truefalse\"><name><text>AF</text></name>"
         "<questiontext format=\"html\"><text>Da?</text></questiontext>"
         "<answer fraction=\"100\"><text>true</text></answer><answer fraction=\"0\"><text>false</text></answer>"
         "</question>\n"
         "<question type=\"multichoice\"><name><text>Doua</text></name>"
         "<questiontext format=\"plain_text\"><text>Ce?</text></questiontext>"
         "<answer fraction=\"100\"><text>A</text></answer><answer fraction=\"0\"><text>B</text></answer>"
         "</question>\n"
         "<question type=\"multichoice\"><name><text>Poza lipsă</text></name>"
         "<questiontext format=\"html\"><text><![CDATA[<p>Ce?</p><img src=\"@@PLUGINFILE@@/a%20b.png\">]]></text>"
         "</questiontext>"
         "<answer fraction=\"100\"><text>A</text></answer><answer fraction=\"0\"><text>B</text></answer>"
         "<answer fraction=\"0\"><text>C</text></answer></question>\n"
         "<question type=\"multichoice\"><name><text>Multiplu</text></name><single>false</single>"
         "<questiontext format=\"html\"><text>&lt;p&gt;Ce &amp;amp; cum?&lt;/p&gt;</text></questiontext>"
         "<answer fraction=\"50\"><text>A</text></answer><answer fraction=\"50\"><text>B</text></answer>"
         "<answer fraction=\"0\"><text>C</text></answer></question>\n"
         "<question type=\"multichoice\"><name><text>Bun</text></name><single>0</single>"
         "<questiontext format=\"html\"><text>&lt;p&gt;Ce &amp;amp;&lt;br&gt;cum?&lt;/p&gt;</text></questiontext>"
         "<answer fraction=\"0\"><text>A</text></answer><answer fraction=\"100\"><text>B</text></answer>"
         "<answer fraction=\"-33.33333\"><text>C</text></answer></question>\n"
         "</quiz>\n",
         {"4 AF: a truefalse question, not multiple choice", "5 Doua: 2 answers; the bank needs exactly three",
          "6 Poza lipsă: the picture 'a b.png' is missing from the file",
          "7 Multiplu: a question with several right answers", "8 Bun: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList got;
        for (bank::ImportedQuestion q : c.read(c.file)) {
            bank::correctLetter(q);
            got << QString("%1 %2: %3").arg(q.line).arg(q.name, q.problem);
        }
        EXPECT_EQ(got, c.expected);
    }
    // The valid ones read as they should.
    const QList<bank::ImportedQuestion> gift = bank::readGift(cases[0].file);
    EXPECT_EQ(gift[1].answers[0].fraction, -0.5);
    EXPECT_EQ(gift[1].answers[0].text, "Nu");
    EXPECT_EQ(gift[11].text, "Nava _____ arată tribordul.");
    const QList<bank::ImportedQuestion> moodle = bank::readMoodleXml(cases[2].file);
    EXPECT_EQ(moodle[4].text, "Ce & cum?");
}

TEST(Import, AMalformedFileIsRefusedWithItsLine)
{
    struct Case {
        const char* name;
        std::function<QList<bank::ImportedQuestion>(const QByteArray&)> read;
        QByteArray file;
        const char* fault;
    };
    const Case cases[] = {
        {"gift brace", bank::readGift, "::A::Ce? {=a ~b ~c}\n\n::B::Ce? {=a ~b ~c\n",
         "line 3: the answer block '{' is not closed"},
        {"gift title", bank::readGift, "::A Ce? {=a ~b ~c}\n", "line 1: the title '::' is not closed"},
        {"gift stray brace", bank::readGift, "Ce } e? {=a ~b ~c}\n", "line 1: a '}' without its '{'"},
        {"gift not utf-8", bank::readGift, "::A::Ce? {=a ~b ~c}\n\n::B::\xff\xfe {=a ~b ~c}\n",
         "line 3: not valid UTF-8"},
        {"aiken no answer line", bank::readAiken, "Ce?\nA. a\nB. b\nC. c\n\nAlta?\nA. a\nB. b\nC. c\nANSWER: A\n",
         "line 6: the question at line 1 has no 'ANSWER:' line"},
        {"aiken answer first", bank::readAiken, "A. a\nB. b\nANSWER: A\n", "line 1: an answer before any question"},
        {"xml", bank::readMoodleXml, "<?xml version=\"1.0\"?>\n<quiz>\n<question type=\"multichoice\">\n</quiz>\n",
         "line 4: not well-formed XML"},
        {"not a quiz", bank::readMoodleXml, "<?xml version=\"1.0\"?>\n<html></html>\n",
         "a Moodle XML file starts with <quiz>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.read(c.file);
            ADD_FAILURE() << "read";
        } catch (const bank::BankError& e) {
            EXPECT_TRUE(e.message().startsWith(c.fault) || e.message().contains(c.fault)) << e.what();
        }
    }
}

TEST(Import, PicturesBecomeBankBitmapsThatFitTheView)
{
    // Qt reads GIF but cannot write it: one red pixel, by hand.
    const QByteArray kRedGif =
        QByteArray::fromHex("47494638396101000100800000ff000000000021f90400000000002c00000000010001000002024401003b");
    QImage wide(400, 300, QImage::Format_ARGB32);
    wide.fill(qRgb(0, 128, 255));
    QImage clear(20, 10, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QImage small(16, 8, QImage::Format_RGB32);
    small.fill(qRgb(200, 10, 10));
    struct Case {
        const char* name;
        QByteArray bytes;
        QSize size;
        QRgb corner;
    };
    const Case cases[] = {
        {"png larger than the view", encoded(wide, "png"), QSize(170, 127), qRgb(0, 128, 255)},
        {"transparent png on white", encoded(clear, "png"), QSize(20, 10), qRgb(255, 255, 255)},
        {"jpeg", encoded(small, "jpeg"), QSize(16, 8), 0},
        {"gif", kRedGif, QSize(1, 1), qRgb(255, 0, 0)},
        {"bmp", store::encodeBmp(small), QSize(16, 8), qRgb(200, 10, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage read;
        ASSERT_TRUE(read.loadFromData(c.bytes));
        const QByteArray bmp = bank::bankPicture(read);
        EXPECT_EQ(bmp.mid(0, 2), "BM");
        EXPECT_EQ(qFromLittleEndian<quint16>(bmp.constData() + 28), 24);  // bits per pixel
        const QImage back = store::decodePicture(bmp);
        EXPECT_EQ(back.size(), c.size);
        if (c.corner) {
            EXPECT_EQ(back.pixel(0, 0), c.corner | 0xff000000);
        }
    }
}

TEST(ImportCommand, NumbersOnAndWritesOnlyWhatIsAllowed)
{
    QTemporaryDir dir;
    const QString bankDir = dir.filePath("bank");
    writeAll(bankDir + "/000-012.txt", "NR: 3  RULE: 5\nQ: Ce?\na) A\nb) B\nc) C\nOK: A\n\nNR: 12  RULE: 5\nQ: Ce?\n");
    const QString mixed = dir.filePath("test.gift");
    writeAll(mixed, "::Unu::Ce e? {=Da ~Nu ~Poate}\n\n::AF::Da? {T}\n\n::Doi::Cine? {~Ion =Ana ~Dan}\n");
    const QStringList before = filesUnder(bankDir);

    // Without --skip-invalid nothing is written, and the question is named.
    ToolRun r = tool({"import", mixed, "-o", bankDir});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(mixed + ":3: 'AF': a true/false question, not multiple choice\n"))
        << r.err.toStdString();
    EXPECT_EQ(filesUnder(bankDir), before);

    // A --first that runs into a number in use: nothing written either.
    r = tool({"import", mixed, "-o", bankDir, "--skip-invalid", "--first", "11"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("number 12 is already used")) << r.err.toStdString();
    EXPECT_EQ(filesUnder(bankDir), before);

    // With it, the valid ones follow the highest number of the folder, even one in a broken record.
    r = tool({"import", mixed, "-o", bankDir, "--skip-invalid"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("'AF': a true/false question, not multiple choice; skipped"));
    EXPECT_EQ(QString::fromUtf8(readAll(bankDir + "/013-014-importate.txt")),
              "NR: 13  RULE: \nQ: Ce e?\na) Da\nb) Nu\nc) Poate\nOK: A\n\n"
              "NR: 14  RULE: \nQ: Cine?\na) Ion\nb) Ana\nc) Dan\nOK: B\n");

    // A malformed file writes nothing, whatever the options.
    writeAll(dir.filePath("bad.txt"), "Ce?\nA. a\nB. b\nC. c\n");
    r = tool({"import", dir.filePath("bad.txt"), "-o", dir.filePath("new"), "--skip-invalid", "--format", "aiken"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("bad.txt:1: the question at line 1 has no 'ANSWER:' line")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("new")));
}

TEST(ExchangeCommands, ExitStatusAndMessages)
{
    QTemporaryDir dir;
    const QString gift = dir.filePath("bank.gift");
    ToolRun r = tool({"export", kBank, "--format", "gift", "-o", gift});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QRegularExpression("^\\d+ question\\(s\\) left out: their picture is needed")))
        << r.err.toStdString();
    EXPECT_FALSE(readAll(gift).contains("imaginea"));  // no stem that points at a picture went out

    // A database whose picture bytes are no picture: a message, not a crash.
    const QString broken = dir.filePath("broken.mdb");
    QList<bank::Question> questions = banktest::validBank();
    questions[5].picture = "not a picture";
    bank::writeDatabase(broken, questions);

    struct Case {
        QStringList args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"export", broken, "--format", "moodle-xml", "-o", dir.filePath("b.xml")}, 1, "5: the picture cannot be read"},
#ifndef _WIN32  // the tool's printing finds no Liberation Serif under wine's offscreen platform yet
        {{"print", broken, "-o", dir.filePath("b.pdf")}, 1, "5: the picture cannot be read"},
#endif
        {{"export", kBank, "--format", "pdf", "-o", dir.filePath("x")}, 2, "unknown format 'pdf'"},
        {{"export", kBank, "--format", "gift", "-o", gift}, 1, "exists already; use --force"},
        {{"import", gift}, 2, "-o is missing"},
        {{"import", gift, "-o", dir.filePath("in"), "--first", "-1"}, 2, "--first takes a number"},
        {{"print", kBank, "-o", dir.filePath("x.pdf"), "--sheet"}, 2, "--sheet and --seed go together"},
        {{"print", kBank, "-o", dir.filePath("x.pdf"), "--seed", "x", "--sheet"}, 2, "--seed takes a whole number"},
        {{"import", dir.filePath("none.xml"), "-o", dir.filePath("in")}, 1, "cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        r = tool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_TRUE(tool({"--help"}).out.contains("velmaris-bank print FILE|SOURCES -o OUT.pdf"));
}

TEST(Sheet, DrawsThirtyDistinctQuestionsOfTheBankForASeed)
{
    QList<bank::Question> questions = banktest::validBank();
    // A bank with holes: the draw replaces numbers it lacks, as the program's does.
    questions.erase(questions.begin() + 100, questions.begin() + 200);
    QSet<qint64> held;
    for (const bank::Question& q : questions)
        held.insert(q.number);
    const QList<qint64> a = bank::drawSheet(questions, 7);
    EXPECT_EQ(a.size(), 30);
    EXPECT_EQ(QSet<qint64>(a.begin(), a.end()).size(), 30);
    for (const qint64 n : a)
        EXPECT_TRUE(held.contains(n)) << n;
    EXPECT_EQ(bank::drawSheet(questions, 7), a);
    EXPECT_NE(bank::drawSheet(questions, 8), a);
    EXPECT_THROW(bank::drawSheet(questions.mid(0, 29), 7), bank::BankError);
}

// The printed bank, read back as a reader's tools see it.
class Printed : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        GTEST_SKIP() << "poppler's pdftotext and pdfimages run on Linux: the Linux build reads the PDFs back";
#else
        for (const QString& reader : {kPdfToText, kPdfImages})
            if (!QFileInfo(reader).isExecutable()) {
                // CI installs every tool (tools/install-deps.sh): there a missing one is a fault.
                if (qgetenv("CI") == "true")
                    FAIL() << "pdftotext or pdfimages is not installed (poppler-utils), and CI needs both";
                GTEST_SKIP() << "pdftotext or pdfimages is not installed (poppler-utils): the PDFs are not read back";
            }
#endif
    }

    QStringList pages(const QString& pdf)
    {
        return run(kPdfToText, {"-layout", pdf, "-"}).split('\f');
    }
};

TEST_F(Printed, TheBankKeepsEachQuestionOnOnePageWithItsKeyAtTheEnd)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("bank.pdf");
    const ToolRun r = tool({"print", kBank, "-o", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const bank::LoadedBank bank = bank::loadBank(kBank, bank::BankFrom::Sources);
    const QStringList text = pages(pdf);
    ASSERT_GT(text.size(), 10);
    EXPECT_TRUE(text[0].contains("Regulamentul internațional pentru prevenirea"));
    const qsizetype pictures = std::count_if(bank.questions.begin(), bank.questions.end(),
                                             [](const bank::Question& q) { return !q.picture.isEmpty(); });
    EXPECT_TRUE(text[0].contains(
        QString("%1 de întrebări, dintre care %2 cu imagine").arg(bank.questions.size()).arg(pictures)));
    // Blanks of any kind go: the non-breaking space between a number and its unit as well.
    const auto squeeze = [](QString s) {
        return s.remove(QRegularExpression("\\s+", QRegularExpression::UseUnicodePropertiesOption));
    };
    QStringList squeezed;
    for (const QString& page : text)
        squeezed << squeeze(page);
    for (const bank::Question& q : bank.questions) {
        // The page with the heading holds the whole question, down to its last variant.
        const QString heading = squeeze(QString("Întrebarea %1 – %2").arg(q.number).arg(bank::ruleTitle(q.r1)));
        qsizetype page = -1;
        for (qsizetype p = 0; p < squeezed.size(); ++p)
            if (squeezed[p].contains(heading))
                page = p;
        ASSERT_GE(page, 0) << q.number;
        EXPECT_TRUE(squeezed[page].contains(squeeze(q.sol3))) << q.number;
        EXPECT_TRUE(squeezed[page].contains(squeeze(q.text.left(30)))) << q.number;
    }
    for (qsizetype p = 1; p + 1 < text.size(); ++p)
        EXPECT_TRUE(text[p].contains(QString("Pagina %1 din %2").arg(p + 1).arg(text.size() - 1)));
    EXPECT_TRUE(text[text.size() - 2].contains("Cheia răspunsurilor"));

    // Diacritics come back whole from the embedded font.
    const QString all = text.join('\n');
    for (const char* word : {"„", "ș", "ț", "ă", "î", "â", "”", "Î"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(word))) << word;

    // Pictures: enlarged three times pixel for pixel, stored losslessly, never interpolated.
    const QStringList rows = run(kPdfImages, {"-list", pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
    EXPECT_EQ(rows.size(), pictures);
    for (const QString& row : rows) {
        const QStringList c = row.simplified().split(' ');
        EXPECT_EQ(c.mid(3, 2), (QStringList{"480", "600"})) << row.toStdString();
        EXPECT_EQ(c.mid(8, 2), (QStringList{"image", "no"})) << row.toStdString();
    }
}

TEST_F(Printed, TheSheetHasTheGridFirstAndTheKeyAloneOnTheLastPage)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("test.pdf");
    const ToolRun r = tool({"print", kBank, "--sheet", "--seed", "42", "-o", pdf});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const bank::LoadedBank bank = bank::loadBank(kBank, bank::BankFrom::Sources);
    const QList<qint64> drawn = bank::drawSheet(bank.questions, 42);
    const QStringList text = pages(pdf);
    ASSERT_GE(text.size(), 3);
    EXPECT_TRUE(text[0].contains("Varianta 42"));
    EXPECT_TRUE(text[0].contains("Numele și prenumele"));
    EXPECT_TRUE(text[0].contains(QRegularExpression("30\\.\\s+a\\s+b\\s+c")));
    const QString key = text[text.size() - 2];
    EXPECT_TRUE(key.contains("Cheia testului – varianta 42"));
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        const bank::Question* q = nullptr;
        for (const bank::Question& each : bank.questions)
            if (each.number == drawn[i])
                q = &each;
        ASSERT_TRUE(q);
        EXPECT_TRUE(key.contains(QRegularExpression(QString("\\b%1\\s+%2\\s+%3\\s+%4\\b")
                                                        .arg(i + 1)
                                                        .arg(q->number)
                                                        .arg(QRegularExpression::escape(bank::ruleTitle(q->r1)))
                                                        .arg(q->rb))))
            << i + 1;
        // The questions themselves lie before the key page.
        EXPECT_FALSE(key.contains(q->sol3.left(25)));
    }
}

}  // namespace
