// The one table of kinds that every layer names colours by.
#include "swf/colour_key.h"

#include <gtest/gtest.h>

#include <set>

namespace tintor {
namespace {

TEST(ColourKeyTest, EveryKindBitHasOneEntryAndEveryOtherPatternNone)
{
    std::set<std::string_view> names;
    for (std::uint32_t top = 0; top < 128; ++top) {
        const std::uint32_t key = top << 25 | 0x123456;
        const ColorKindInfo* info = InfoOf(key);
        const bool oneKind = top != 0 && (top & (top - 1)) == 0;
        ASSERT_EQ(info != nullptr, oneKind) << top;
        if (!info)
            continue;
        EXPECT_EQ(info->kind, KindOf(key));
        EXPECT_TRUE(names.insert(info->name).second) << info->name;
        // A script line is read back by the longest prefix its tag starts
        // with, which must be the kind's own.
        const ColorKindInfo* longest = nullptr;
        for (const ColorKindInfo& other : kColorKinds)
            if (info->scriptTag.starts_with(other.scriptPrefix)
                && (longest == nullptr || other.scriptPrefix.size() > longest->scriptPrefix.size()))
                longest = &other;
        EXPECT_EQ(longest, info) << info->scriptTag;
    }
    EXPECT_EQ(names.size(), std::size(kColorKinds));
    // Bit 24 selects an entry: it is no kind.
    EXPECT_EQ(kKindMask & 0x01FFFFFFu, 0u);
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
