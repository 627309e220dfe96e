#include "core/hex_digit.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

TEST(HexDigitTest, DigitsOfEitherCaseAndNothingElse)
{
    const struct {
        char c;
        int value;
    } cases[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'F', 15}, {'f', 15}, {'g', -1}, {'G', -1}, {'/', -1}, {':', -1},
        {' ', -1}, {'x', -1}};
    for (const auto& c : cases)
        EXPECT_EQ(HexDigit(c.c), c.value) << c.c;
}

} // namespace
} // namespace tintor
