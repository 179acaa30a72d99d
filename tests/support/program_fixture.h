#pragma once

#include <QString>

#include <optional>
#include <string>

#include "app/kit.h"
#include "startup/program.h"

namespace fixture {

// The five windows of a program under test, by the names the windows have always had.
struct Windows {
    TfrmMain* frmMain = nullptr;
    TfrmAlege* frmAlege = nullptr;
    TfrmInv_Colreg* frmInv_Colreg = nullptr;
    TfrmColreg_Proc* frmColreg_Proc = nullptr;
    TfrmRezultate* frmRezultate = nullptr;
};

// The program as start-up builds it, on the bank start-up chose (by default the Velmaris.mdb in a folder
// the user may write, as beside a portable program), with all five windows built at once so that a test
// can drive any of them. Goes, windows first, with the object; `kit` (the test's) outlives it.
class TestProgram {
public:
    TestProgram(app::Kit& kit, store::BankChoice bank);
    // The bank in `folder`, opened as a bank beside the executable; `learningOnly` as start-up gives it.
    TestProgram(app::Kit& kit, const std::string& folder, const std::string& learningOnly = {});

    startup::Program& program() { return program_; }
    store::Database& data() { return program_.database(); }
    app::Kit& kit() { return program_.kit(); }
    Windows windows() const;

private:
    startup::Program program_;
};

// For a test fixture or a test that builds and ends programs in turn: the program of the moment, its
// windows by their names (null while there is none), and the kit every program it builds shares, so that
// a test can attach its box recorder before the first build. The kit is the holder's own, or the test's
// where the test's recorder must outlive the program.
class ProgramHolder : public Windows {
public:
    ProgramHolder() : kit_(ownKit_) {}
    explicit ProgramHolder(app::Kit& kit) : kit_(kit) {}
    ProgramHolder(const ProgramHolder&) = delete;
    ProgramHolder& operator=(const ProgramHolder&) = delete;

    void build(const std::string& folder, const std::string& learningOnly = {})
    {
        program_.reset();
        program_.emplace(kit_, folder, learningOnly);
        static_cast<Windows&>(*this) = program_->windows();
    }
    void destroy()
    {
        static_cast<Windows&>(*this) = {};
        program_.reset();
    }
    TestProgram& program() { return *program_; }
    app::Kit& kit() { return kit_; }
    // For a test that names the windows as locals: auto& [frmMain, ...] = run.windows().
    Windows& windows() { return *this; }

private:
    // Before the program, so that it goes after it.
    app::Kit ownKit_;
    app::Kit& kit_;
    std::optional<TestProgram> program_;
};

// The bank in `folder`, as start-up chooses one beside the executable.
store::BankChoice bankIn(const std::string& folder, const std::string& learningOnly = {});

}  // namespace fixture
