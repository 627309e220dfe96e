// The one table of kinds that every layer names colours by.
#include "swf/colour_key.h"

#include <gtest/gtest.h>

#include <set>

namespace tintor {
namespace {

TEST(ColourKeyTest, EveryKindHasOneEntryAndEveryOtherTopNibbleNone)
{
    std::set<char> scriptLetters;
    std::set<std::string_view> names;
    for (std::uint32_t top = 0; top < 16; ++top) {
        const std::uint32_t key = top << 28 | 0x123456;
        const ColorKindInfo* info = InfoOf(key);
        const bool oneKind = top == 1 || top == 2 || top == 4 || top == 8;
        ASSERT_EQ(info != nullptr, oneKind) << top;
        if (!info)
            continue;
        EXPECT_EQ(info->kind, KindOf(key));
        // A script line is read back by the letter after its '@'.
        EXPECT_EQ(info->scriptTag.front(), '@');
        EXPECT_TRUE(scriptLetters.insert(info->scriptTag[1]).second) << info->scriptTag;
        EXPECT_TRUE(names.insert(info->name).second) << info->name;
    }
    EXPECT_EQ(names.size(), 4u);
}

TEST(ColourKeyTest, EntryFieldsComeApart)
{
    const std::uint32_t entry = KIND_LINE | kSelectedBit | 0x00A0B0C0;
    EXPECT_EQ(KindOf(entry), KIND_LINE);
    EXPECT_EQ(RgbOf(entry), 0x00A0B0C0u);
    EXPECT_TRUE(IsSelected(entry));
    EXPECT_FALSE(IsSelected(entry & ~kSelectedBit));
}

} // namespace
} // namespace tintor
