#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

#include "testing/test_state.h"

namespace {

using namespace TestColreg_Proc;

// The handlers and the copy rely on these exact shapes: 32-bit counters, numere indexed 1 to 300.
static_assert(std::is_same_v<decltype(Rc), std::int32_t> && std::is_same_v<decltype(Ri), std::int32_t> &&
              std::is_same_v<decltype(ir), std::int32_t> && std::is_same_v<decltype(nota), std::int32_t> &&
              std::is_same_v<decltype(k1), std::int32_t> && std::is_same_v<decltype(k2), std::int32_t> &&
              std::is_same_v<decltype(K3), std::int32_t> && std::is_same_v<decltype(RecMax), std::int32_t>);
static_assert(std::is_same_v<decltype(Rp), double> && std::is_same_v<decltype(DateTime), double>);
static_assert(std::tuple_size_v<num> == 301 && std::is_same_v<num::value_type, std::int32_t>);

// Nothing in this suite writes the state, so it is still as the program starts.
TEST(TestState, IsZeroAndEmptyAtProgramStart)
{
    EXPECT_EQ(Rc, 0);
    EXPECT_EQ(Ri, 0);
    EXPECT_EQ(ir, 0);
    EXPECT_EQ(nota, 0);
    EXPECT_EQ(k1, 0);
    EXPECT_EQ(k2, 0);
    EXPECT_EQ(K3, 0);
    EXPECT_EQ(RecMax, 0);
    EXPECT_EQ(Rp, 0.0);
    EXPECT_EQ(DateTime, 0.0);
    EXPECT_TRUE(std::all_of(numere.begin(), numere.end(), [](std::int32_t n) { return n == 0; }));
    EXPECT_TRUE(str.isEmpty());
    EXPECT_TRUE(culRB.isEmpty());
    EXPECT_TRUE(culRR.isEmpty());
}

}  // namespace
