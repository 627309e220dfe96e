#include "testkit/memory_files.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

TEST(MemoryFileTest, FailingOutputReportsTheShortWrite)
{
    CMemoryOutputFile out(4);
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_TRUE(out.Write(bytes));
    EXPECT_FALSE(out.Write(bytes));
    EXPECT_EQ(out.Bytes().size(), 4u);
}

} // namespace
} // namespace tintor
