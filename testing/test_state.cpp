#include "testing/test_state.h"

namespace TestColreg_Proc {

std::int32_t Rc = 0;
std::int32_t Ri = 0;
std::int32_t ir = 0;
std::int32_t nota = 0;
std::int32_t k1 = 0;
std::int32_t k2 = 0;
std::int32_t K3 = 0;
std::int32_t RecMax = 0;
double Rp = 0.0;
num numere{};
double DateTime = 0.0;
QString str;
QString culRB;
QString culRR;

}  // namespace TestColreg_Proc
