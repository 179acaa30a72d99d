#include "testing/test_session.h"

#include <algorithm>
#include <string>
#include <vector>

#include "results/overview.h"
#include "results/practice_draw.h"
#include "results/record.h"
#include "results/rules.h"
#include "store/database.h"
#include "store/transaction.h"
#include "testing/grading.h"
#include "testing/test_clock.h"

namespace selftest {

namespace {

// Fields of a bank record copied into positions 1 to 10 of a scratch record; 11 receives "?".
const char* const copiedFields[] = {"Nr_Intreb", "Intrebare", "Sol1", "Sol2", "Sol3", "Poza", "R1", "R2", "R3", "Rb"};
constexpr int givenLetterField = 11;  // Rd
constexpr std::int32_t gradeDueAfter = testSize - 1;

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// Runs a cursor operation with the views refreshed only after it. A failure of the operation itself is
// thrown; when only the views failed to show the record it ended on (an undecodable picture), the
// operation stands and that failure is returned.
template <typename Operation>
std::exception_ptr withViewsAfter(store::DataSource& source, Operation&& operation)
{
    bool done = false;
    try {
        store::withControlsDisabled({&source}, [&] {
            operation();
            done = true;
        });
    } catch (...) {
        if (!done)
            throw;
        return std::current_exception();
    }
    return nullptr;
}

}  // namespace

TestSession::TestSession(store::Database& data)
    : data_(data),
      generator_(std::make_unique<QuestionDraw>()),
      now_([] { return QDateTime::currentDateTime(); }),
      regional_(QLocale::system())
{
}

TestSession::~TestSession() = default;

void TestSession::setGenerator(std::unique_ptr<Generator> generator)
{
    generator_ = std::move(generator);
}

void TestSession::setTimeSource(std::function<QDateTime()> now)
{
    now_ = std::move(now);
}

void TestSession::setRegionalSettings(const QLocale& locale)
{
    regional_ = locale;
}

TestSession::Started TestSession::start()
{
    num drawn = state_.numere;
    drawTestNumbers(drawn, *generator_);
    if (!data_.tblIntrebari.Active())
        data_.tblIntrebari.Open();
    Started started;
    started.viewFailure = copyInTransaction(drawn);
    // Only a test in place resets the state.
    state_.numere = drawn;
    state_.k2 = 0;
    state_.k1 = 0;
    state_.Rc = 0;
    state_.Ri = 0;
    state_.Rp = 0;
    state_.ir = testSize;
    judged_.clear();
    readTime();
    started.counts = QStringLiteral("0");
    started.time = state_.str;
    return started;
}

void TestSession::drawNumbers()
{
    drawTestNumbers(state_.numere, *generator_);
}

void TestSession::copyDrawnQuestions()
{
    if (const std::exception_ptr failure = copyInTransaction(state_.numere))
        std::rethrow_exception(failure);
}

std::vector<std::int32_t> TestSession::practiceNumbers()
{
    store::TableCursor& bank = data_.tblIntrebari;
    std::vector<int> inBank;
    for (std::int32_t n = 0; n <= highestNumber; ++n)
        if (bank.Contains("Nr_Intreb", n))
            inBank.push_back(n);
    const std::vector<int> chosen =
        results::practiceQuestions(results::loadOverview(data_), inBank, testSize,
                                   [this](int low, int high) { return generator_->between(low, high); });
    return {chosen.begin(), chosen.end()};
}

std::exception_ptr TestSession::copyInTransaction(num& drawn)
{
    store::Connection& connection = data_.conColreg;
    store::TableCursor& bank = data_.tblIntrebari;
    store::TableCursor& test = data_.tblTest;
    // Only numbers the bank holds are copied, so a test always has its distinct questions; a bank too
    // small for a test fails here, before anything is written.
    std::vector<std::int32_t> chosen = chooseQuestions(
        drawn, [&bank](std::int32_t n) { return bank.Contains("Nr_Intreb", n); }, *generator_);
    if (practice_) {
        // The ordinary choice proved the bank large enough; a smaller one failed above, as "Start" does.
        chosen = practiceNumbers();
        std::copy(chosen.begin(), chosen.end(), drawn.begin() + 1);
    }

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

TestSession::Answered TestSession::answer(const QString& letter)
{
    store::TableCursor& test = data_.tblTest;
    Answered answered;
    answered.remainingBefore = QString::number(state_.ir);
    // The letter is stored before it is judged: an answer the file did not take is not counted, and
    // "Confirm" pressed again counts it once.
    const store::TableCursor::Saved before = test.save();
    answered.viewFailure = withViewsAfter(data_.dsTest, [&] {
        try {
            const bool pending = test.State() != store::CursorState::Browse;
            test.Edit();
            if (!letter.isEmpty())
                test.Fields(givenLetterField).setAsString(letter.toStdString());
            // With no letter chosen and nothing typed there is nothing to store.
            if (!letter.isEmpty() || pending)
                test.Post();
        } catch (...) {
            test.restore(before);
            throw;
        }
    });
    // The stored record: the letter just written, or what the record held.
    answered.correct = test.FieldByName("Rb").AsString() == test.FieldByName("Rd").AsString();
    if (answered.correct)
        ++state_.Rc;
    else
        ++state_.Ri;
    state_.Rp = percentage(state_.Rc, state_.Ri);
    judged_.push_back({text(test.FieldByName("Nr_Intreb").AsString()).toInt(),
                       results::ruleOf(text(test.FieldByName("R1").AsString())),
                       text(test.FieldByName("Rb").AsString()), text(test.FieldByName("Rd").AsString())});
    answered.score = {percentageText(state_.Rp, regional_), QString::number(state_.Rc),
                      QString::number(state_.Rc + state_.Ri), QString::number(state_.Ri),
                      state_.Rc + state_.Ri == gradeDueAfter};
    return answered;
}

TestSession::MovedOn TestSession::moveOn()
{
    store::TableCursor& test = data_.tblTest;
    MovedOn moved;
    moved.viewFailure = withViewsAfter(data_.dsTest, [&test] { test.Next(); });
    moved.atEnd = test.Eof();
    --state_.ir;
    moved.remaining = QString::number(state_.ir);
    return moved;
}

TestSession::Graded TestSession::grade()
{
    const std::int32_t correct = state_.Rc;
    const std::int32_t wrong = state_.Ri;
    state_.nota = gradeFor(state_.Rc);
    state_.Rc = 0;
    state_.Ri = 0;
    Graded graded{QString::number(state_.nota), nullptr};
    // Recorded once: a second "Nota" grades nothing new.
    std::vector<results::JudgedQuestion> judged = std::move(judged_);
    judged_.clear();
    if (correct + wrong == 0)
        return graded;
    try {
        results::recordTest(data_, {now_(), state_.nota, correct, wrong, state_.Rp, practice_, std::move(judged)});
    } catch (...) {
        graded.recordFailure = std::current_exception();
    }
    return graded;
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
    state_.culRB = text(test.FieldByName("Rb").AsString());
    state_.culRR = text(test.FieldByName("Rd").AsString());
    return {false, state_.culRR == state_.culRB, state_.culRB, state_.culRR};
}

TestSession::Tick TestSession::tick()
{
    readTime();
    clockTick(state_.K3, state_.k2, state_.k1);
    return {state_.str, remainingText(state_.k1)};
}

void TestSession::readTime()
{
    const QDateTime now = now_();
    state_.DateTime = toDateTime(now);
    state_.str = longTimeText(now.time(), regional_);
}

void TestSession::emptyInLeavingOrder(bool ordered)
{
    store::TableCursor& test = data_.tblTest;
    if (ordered)
        test.setIndexFieldNames("Nr_Intreb");
    state_.RecMax = test.RecordCount();
    test.First();
    for (int i = 0; i < state_.RecMax; ++i) {
        test.Next();
        test.Delete();
    }
}

std::exception_ptr TestSession::emptyScratchTable(bool ordered)
{
    store::TableCursor& test = data_.tblTest;
    std::exception_ptr failure;
    // The views show only the record the emptying ends on (normally none): a picture they cannot show
    // does not stop it.
    try {
        store::withControlsDisabled({&data_.dsTest}, [&] { emptyInLeavingOrder(ordered); });
        return nullptr;
    } catch (...) {
        failure = std::current_exception();
    }
    // A change the file does not take (its row deleted by another program, a file that refuses
    // writes) stops the emptying. The table is read again as the file holds it, without that change,
    // and emptied once more as far as the file lets it.
    if (test.Active()) {
        try {
            store::withControlsDisabled({&data_.dsTest}, [&] {
                test.Close();
                test.Open();
                emptyInLeavingOrder(ordered);
            });
        } catch (...) {
        }
    }
    return failure;
}

}  // namespace selftest
