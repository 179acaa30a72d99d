#include "testing/test_session.h"

#include <QDateTime>

#include <string>
#include <vector>

#include "store/database.h"
#include "store/transaction.h"
#include "testing/grading.h"
#include "testing/test_clock.h"

namespace TestColreg_Proc {

namespace {

// Fields of a bank record copied into positions 1 to 10 of a scratch record; 11 receives "?".
const char* const copiedFields[] = {"Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3", "Poza", "R1", "R2", "R3", "Rb"};
constexpr int givenLetterField = 11;  // Rd
constexpr std::int32_t gradeDueAfter = testSize - 1;

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

}  // namespace

TestSession::TestSession(store::Database& data) : data_(data), generator_(std::make_unique<QuestionDraw>()) {}

TestSession::~TestSession() = default;

void TestSession::setGenerator(std::unique_ptr<Generator> generator)
{
    generator_ = std::move(generator);
}

TestSession::Started TestSession::start()
{
    num drawn = numere;
    TestColreg_Proc::Gen_Num(drawn, *generator_);
    if (!data_.tblIntrebari.Active())
        data_.tblIntrebari.Open();
    Started started;
    started.viewFailure = copyInTransaction(drawn);
    // Only a test in place resets the state.
    numere = drawn;
    k2 = 0;
    k1 = 0;
    Rc = 0;
    Ri = 0;
    Rp = 0;
    ir = testSize;
    readTime();
    started.counts = QStringLiteral("0");
    started.time = str;
    return started;
}

void TestSession::Gen_Num()
{
    TestColreg_Proc::Gen_Num(numere, *generator_);
}

void TestSession::CopFis_FisT()
{
    if (const std::exception_ptr failure = copyInTransaction(numere))
        std::rethrow_exception(failure);
}

std::exception_ptr TestSession::copyInTransaction(const num& drawn)
{
    store::Connection& connection = data_.conColreg;
    store::TableCursor& bank = data_.tblIntrebari;
    store::TableCursor& test = data_.tblTest;
    // Only numbers the bank holds are copied, so a test always has its distinct questions; a bank too
    // small for a test fails here, before anything is written.
    const std::vector<std::int32_t> chosen = chooseQuestions(
        drawn, [&bank](std::int32_t n) { return bank.Contains("Nr_Intreb", n); }, *generator_);

    bool committed = false;
    try {
        // The views show the record the copy ends on; the passes do not each lay them out again.
        store::withControlsDisabled({&data_.dsTest, &data_.dsIntrebari}, [&] {
            // All or nothing: a failure leaves the file, both cursors and their views as they were.
            store::Transaction transaction(connection, {&test, &bank});
            // Rows an abnormal end of an earlier run left behind would make this a longer test with
            // repeats.
            test.First();
            while (test.RecordCount() > 0)
                test.Delete();
            for (const std::int32_t number : chosen) {
                test.Last();
                test.Append();
                bank.Locate("Nr_Intreb", number);
                test.FieldByName("Nr_Intreb").setAsString(std::to_string(number));
                for (int position = 1; position <= 10; ++position)
                    test.Fields(position).setAsString(bank.FieldByName(copiedFields[position - 1]).AsString());
                test.Fields(givenLetterField).setAsString("?");
                test.Post();
                test.First();
            }
            transaction.commit();
            committed = true;
        });
    } catch (...) {
        if (!committed)
            throw;
        return std::current_exception();
    }
    return nullptr;
}

bool TestSession::atEnd() const
{
    return data_.tblTest.Eof();
}

bool TestSession::answer(const QString& letter)
{
    store::TableCursor& test = data_.tblTest;
    test.Edit();
    if (!letter.isEmpty())
        test.Fields(givenLetterField).setAsString(letter.toStdString());
    return test.FieldByName("Rb").AsString() == test.FieldByName("Rd").AsString();
}

TestSession::Score TestSession::count(bool correct)
{
    if (correct)
        ++Rc;
    else
        ++Ri;
    Rp = percentage(Rc, Ri);
    return {percentageText(Rp), QString::number(Rc), QString::number(Rc + Ri), QString::number(Ri),
            Rc + Ri == gradeDueAfter};
}

bool TestSession::moveOn()
{
    data_.tblTest.Next();
    return data_.tblTest.Eof();
}

QString TestSession::countDown()
{
    --ir;
    return QString::number(ir);
}

QString TestSession::grade()
{
    nota = gradeFor(Rc);
    Rc = 0;
    Ri = 0;
    return QString::number(nota);
}

void TestSession::enterReview()
{
    data_.tblTest.First();
}

TestSession::ReviewStep TestSession::reviewStep(bool down)
{
    store::TableCursor& test = data_.tblTest;
    if (down)
        test.Next();
    else
        test.Prior();
    if (down ? test.Eof() : test.Bof())
        return {true, false, {}, {}};
    culRB = text(test.FieldByName("Rb").AsString());
    culRR = text(test.FieldByName("Rd").AsString());
    return {false, culRR == culRB, culRB, culRR};
}

TestSession::Tick TestSession::tick()
{
    readTime();
    clockTick(K3, k2, k1);
    return {str, remainingText(k1)};
}

void TestSession::readTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    DateTime = toDateTime(now);
    str = longTimeText(now.time());
}

void TestSession::leave(bool ordered)
{
    store::TableCursor& test = data_.tblTest;
    if (ordered)
        test.setIndexFieldNames("Nr_Intreb");
    RecMax = test.RecordCount();
    store::withControlsDisabled({&data_.dsTest}, [&] {
        test.First();
        for (int i = 0; i < RecMax; ++i) {
            test.Next();
            test.Delete();
        }
    });
}

}  // namespace TestColreg_Proc
