// Reading and writing the bank source files.

#include "velmaris-bank/source/source_format.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kGood =
    "NR: 1  RULE: 23(a)\n"
    "Q: Ce lumini vedeți în imagine?\n"
    "a) Una\n"
    "b) Două\n"
    "c) Trei\n"
    "OK: B\n";

QByteArray replaced(QByteArray text, const char* from, const char* to)
{
    return text.replace(from, to);
}

// The good record under another number.
QByteArray numbered(int n)
{
    return replaced(kGood, "NR: 1 ", QString("NR: %1 ").arg(n).toUtf8().constData());
}

bank::SourceBank parse(const QByteArray& text, const QString& name = "bad.txt")
{
    bank::SourceBank bank;
    bank::parseSourceFile(name, text, bank);
    return bank;
}

TEST(SourceParser, ReadsARecordIntoItsFields)
{
    const bank::SourceBank bank =
        parse(kGood + "PIC: 001.bmp | night; kind=power; len=60; aspect=stbd-bow\n", "131-142.txt");
    ASSERT_TRUE(bank.faults.isEmpty());
    ASSERT_EQ(bank.records.size(), 1);
    const bank::SourceRecord& r = bank.records[0];
    EXPECT_EQ(r.number, 1);
    EXPECT_EQ(r.rule, "23(a)");
    EXPECT_EQ(r.question, "Ce lumini vedeți în imagine?");
    EXPECT_EQ(r.a, "Una");
    EXPECT_EQ(r.b, "Două");
    EXPECT_EQ(r.c, "Trei");
    EXPECT_EQ(r.key, "B");
    EXPECT_EQ(r.picture, "001.bmp | night; kind=power; len=60; aspect=stbd-bow");
    EXPECT_EQ(r.file, "131-142.txt");
    EXPECT_EQ(r.line, 1);
}

// Each case: the file, the line the fault must name, and words of the fault.
TEST(SourceParser, NamesTheLineAndTheFaultOfAMalformedRecord)
{
    struct Case {
        const char* name;
        QByteArray text;
        int line;
        const char* fault;
    };
    const QByteArray head = "NR: 1  RULE: 23(a)\nQ: Ce lumini vedeți?\n";
    const Case cases[] = {
        {"missing variant", head + "a) Una\nc) Trei\nOK: B\n", 4, "missing 'b)' before 'c)'"},
        {"unknown key", head + "a) Una\nb) Două\nc) Trei\nd) Patru\nOK: B\n", 6, "unknown key 'd)'"},
        {"bad letter", head + "a) Una\nb) Două\nc) Trei\nOK: D\n", 6, "bad letter 'D' after OK:"},
        {"small letter", head + "a) Una\nb) Două\nc) Trei\nOK: b\n", 6, "bad letter 'b'"},
        {"bad picture description", kGood + "PIC: 001.bmp | night; kind=boat; aspect=ahead\n", 7,
         "bad picture description: unknown kind 'boat'"},
        {"picture of another number", kGood + "PIC: 002.bmp | night; kind=power; aspect=ahead\n", 7,
         "must be named 001.bmp"},
        {"picture line without a bar", kGood + "PIC: 001.bmp night\n", 7, "expected 'PIC: NNN.bmp | description'"},
        {"duplicate number", kGood + "\n" + kGood, 8, "number 1 is already used at bad.txt:1"},
        {"question after the variants", head + "a) Una\nb) Două\nc) Trei\nQ: Din nou?\nOK: B\n", 6,
         "'Q:' repeated or out of order"},
        {"answer before the last variant", head + "a) Una\nb) Două\nOK: B\nc) Trei\n", 5, "missing 'c)' before 'OK:'"},
        {"variant before the question", "NR: 1  RULE: 23(a)\na) Una\n", 2, "missing 'Q:' before 'a)'"},
        {"record without its answer", head + "a) Una\nb) Două\nc) Trei\n\n" + numbered(2), 6,
         "record NR 1 ends without 'OK:'"},
        {"record cut off by the end of the file", head + "a) Una\n", 3, "record NR 1 ends without 'b)'"},
        {"record cut off without a last line break", head + "a) Una", 3, "record NR 1 ends without 'b)'"},
        {"key without a space", "NR: 1  RULE: 23(a)\nQ:Ce lumini?\n", 2, "'Q:' must be followed by one space"},
        {"number line without RULE", "NR: 1\n", 1, "expected 'NR: <number>  RULE: <paragraph>'"},
        {"RULE on its own line", "NR: 1\nRULE: 23(a)\n", 1, "expected 'NR: <number>  RULE:"},
        {"RULE inside the record", head + "RULE: 23(a)\n", 3, "'RULE:' goes on the NR: line"},
        {"leading zeros", "NR: 007  RULE: 23(a)\n", 1, "without leading zeros: 7"},
        {"numbers going down", numbered(5) + "\n" + numbered(3), 8,
         "number 3 after 5: numbers must go up within a file"},
        {"text between records", kGood + "\nO notă rătăcită\n", 8, "expected 'NR:' to start a record"},
        {"records without a blank line", kGood + numbered(2), 7, "a new record starts without a blank line"},
        {"new record before the answer", head + "a) Una\nb) Două\nNR: 2  RULE: 5\n", 5,
         "a new record starts, but this one lacks 'c)'"},
        {"not UTF-8", "NR: 1  RULE: 23(a)\nQ: Ce \xff?\n", 2, "not valid UTF-8"},
        {"Windows line ends", "NR: 1  RULE: 23(a)\r\n", 1, "carriage return"},
        {"byte order mark opening a later line", kGood + "\n\xEF\xBB\xBF" + numbered(2), 8, "U+FEFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bank::SourceBank bank = parse(c.text);
        ASSERT_FALSE(bank.faults.isEmpty());
        const bank::SourceFault& f = bank.faults.first();
        EXPECT_EQ(f.file, "bad.txt");
        EXPECT_EQ(f.line, c.line) << f.toString().toStdString();
        EXPECT_TRUE(f.fault.contains(c.fault)) << f.toString().toStdString();
        EXPECT_TRUE(f.toString().startsWith(QString("bad.txt:%1: ").arg(c.line)));
    }
}

TEST(SourceParser, GoesOnAfterAFaultAndLeavesTheBadRecordOut)
{
    const QByteArray text =
        replaced(kGood, "OK: B", "OK: X") + "\n" + numbered(2) + "\n" + replaced(numbered(3), "b) Două\n", "");
    const bank::SourceBank bank = parse(text);
    ASSERT_EQ(bank.faults.size(), 2);
    EXPECT_EQ(bank.faults[0].line, 6);
    EXPECT_EQ(bank.faults[1].line, 18);
    ASSERT_EQ(bank.records.size(), 1);
    EXPECT_EQ(bank.records[0].number, 2);
}

TEST(SourceParser, ANumberIsUsedOnceAcrossFiles)
{
    bank::SourceBank bank;
    bank::parseSourceFile("a.txt", "# capitolul A\n" + numbered(5), bank);
    bank::parseSourceFile("b.txt", numbered(5), bank);
    ASSERT_EQ(bank.faults.size(), 1);
    EXPECT_EQ(bank.faults[0].toString(), "b.txt:1: number 5 is already used at a.txt:2");
}

// Everything around the fields: comments, blank lines, spacing, byte order mark, last line break.
const QByteArray kOddLayout =
    "\xEF\xBB\xBF# Capitolul C: lumini\n"
    "#\n"
    "\n"
    "NR: 131\tRULE: 23(a)\n"
    "Q: Ce vedeți?\n"
    "# varianta corectă e a doua\n"
    "a) Una\n"
    "b) Două\n"
    "c) Trei\n"
    "OK: B\n"
    "PIC: 131.bmp  |  night; kind=power; len=60; aspect=stbd-bow\n"
    "# după imagine\n"
    "\n"
    "\n"
    "   \n"
    "NR: 132      RULE: 23(b)\n"
    "Q: Și aceasta?\n"
    "a) A\n"
    "b) B\n"
    "c) C\n"
    "OK: A\n"
    "\n"
    "# sfârșit";

TEST(SourceWriter, WritesTheRecordsBackByteForByte)
{
    const bank::SourceBank bank = parse(kOddLayout, "131-132.txt");
    ASSERT_TRUE(bank.faults.isEmpty()) << bank.faults.first().toString().toStdString();
    ASSERT_EQ(bank.records.size(), 2);

    const QList<bank::SourceFile> direct = bank::writeSourceFiles(bank.records);
    ASSERT_EQ(direct.size(), 1);
    EXPECT_EQ(direct[0].name, "131-132.txt");
    EXPECT_EQ(direct[0].bytes, kOddLayout);

    // The same through R3, as build stores it and export reads it.
    QList<bank::SourceRecord> throughR3 = bank.records;
    for (qsizetype i = 0; i < throughR3.size(); ++i) {
        const QString r3 = bank::layoutToText(bank.records[i].layout, i == 0, i + 1 == throughR3.size());
        throughR3[i].layout = bank::layoutFromText(r3, throughR3[i].number);
    }
    EXPECT_EQ(bank::writeSourceFiles(throughR3)[0].bytes, kOddLayout);
}

TEST(SourceWriter, UsualLayoutKeepsR3Short)
{
    const bank::SourceBank bank = parse(kGood + "\n" + numbered(2), "000-017.txt");
    ASSERT_EQ(bank.records.size(), 2);
    EXPECT_EQ(bank::layoutToText(bank.records[0].layout, true, false), R"({"file":"000-017.txt"})");
    EXPECT_EQ(bank::layoutToText(bank.records[1].layout, false, true), R"({"file":"000-017.txt"})");
}

TEST(SourceWriter, ForeignR3CannotBreakTheSources)
{
    // A file name outside the folder and lines that are not comments: the record goes to its Part's file and
    // only comment lines are kept.
    const bank::Layout layout =
        bank::layoutFromText(R"({"file":"../../etc/x.txt","lead":["# ok","NR: 9  RULE: x"],"gap":"x"})", 20);
    EXPECT_EQ(layout.file, "018-113.txt");
    EXPECT_EQ(layout.lead, QStringList{"# ok"});
    EXPECT_EQ(layout.gap, "  ");
    EXPECT_EQ(bank::layoutFromText("", 250).file, "250-273.txt");
    EXPECT_EQ(bank::layoutFromText("not json", 5).file, "000-017.txt");
}

}  // namespace
