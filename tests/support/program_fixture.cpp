#include "tests/support/program_fixture.h"

#include "app/frm_main.h"

namespace fixture {

store::BankChoice bankIn(const std::string& folder, const std::string& learningOnly)
{
    store::BankChoice bank;
    bank.folder = folder;
    bank.use = store::BankUse::BesideExecutable;
    bank.learningOnly = learningOnly;
    return bank;
}

TestProgram::TestProgram(app::Kit& kit, store::BankChoice bank) : program_(kit, std::move(bank))
{
    program_.createWelcomeWindow();
    program_.createHiddenWindows();
}

TestProgram::TestProgram(app::Kit& kit, const std::string& folder, const std::string& learningOnly)
    : TestProgram(kit, bankIn(folder, learningOnly))
{
}

Windows TestProgram::windows() const
{
    const startup::Program& p = program_;
    return {p.welcomeWindow(), p.menuWindow(), p.learningWindow(), p.testWindow(), p.resultsWindow()};
}

}  // namespace fixture
