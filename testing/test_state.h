#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The state of the self-test: module variables, one set for the whole run, used only by the handlers
// of the test window. Nothing is saved; each starts at 0 or empty.
namespace TestColreg_Proc {

extern std::int32_t Rc;      // correct answers counted
extern std::int32_t Ri;      // wrong answers counted
extern std::int32_t ir;      // questions remaining
extern std::int32_t nota;    // the grade last given
extern std::int32_t k1;      // minutes remaining, 30 - k2
extern std::int32_t k2;      // countdown steps elapsed
extern std::int32_t K3;      // clock ticks since the countdown last stepped
extern std::int32_t RecMax;  // scratch records counted when the window is left
extern double Rp;            // percentage of correct answers

// Drawn question numbers, indexed 1 to 300 (element 0 is never used): the draw fills 1 to 35, the
// copy reads 1 to 30.
using num = std::array<std::int32_t, 301>;
extern num numere;

extern double DateTime;  // the time of day last read by the clock, in days since 1899-12-30
extern QString str;      // that time as text
extern QString culRB;    // correct letter of the record under review
extern QString culRR;    // given letter of the record under review

}  // namespace TestColreg_Proc
