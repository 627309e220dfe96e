#include "colour/colour_map.h"

#include "swf/colour_key.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

TEST(ColorMapTest, ReadsChangesRedFirstBetweenCommentsAndBlankLines)
{
    const ColorMap map = ReadColorMap("\xEF\xBB\xBF# brand colours\n"
                                      "fill:#FF0000 #00ff00   # red fills go green\r\n"
                                      "\n"
                                      "   #ffffff\t#202020\n"
                                      "#\n"
                                      "LINE:0000ff #123456\n"
                                      "script:#ff0000 #00ff00");
    ASSERT_FALSE(map.error) << map.error->reason;
    // Keys hold red in the low byte: #123456 is 0x563412.
    EXPECT_EQ(map.lines,
        (std::vector<ColorMapLine>{{2, KIND_FILL, 0x0000FF, 0x00FF00}, {4, kKindMask, 0xFFFFFF, 0x202020},
            {6, KIND_LINE, 0xFF0000, 0x563412}, {7, KIND_SCRIPT, 0x0000FF, 0x00FF00}}));
}

TEST(ColorMapTest, MalformedLineFailsTheWholeMapWithItsNumber)
{
    const struct {
        const char* text;
        int line;
        const char* reasonHas;
    } rows[] = {
        {"fill:#ff0000 #00ff00\nfill:#ff0000\n", 2, "no colour to change"},
        {"#ff0000 # the new colour forgotten", 1, "no colour to change"},
        {"# fine\n\nglow:#ff0000 #000000", 3, "KIND:#rrggbb"},
        {"#ff000 #000000", 1, "'#ff000' is not a colour"},
        {"#ff0000 #00ff0g", 1, "'#00ff0g' is not a colour"},
        {"#ff0000 -> #00ff00", 1, "'->' is not a colour"},
        {"#ff0000 #00ff00 #0000ff", 1, "unexpected '#0000ff'"},
        {"bg #ff0000 #00ff00", 1, "'bg' is not a colour"},
    };
    for (const auto& row : rows) {
        const ColorMap map = ReadColorMap(row.text);
        ASSERT_TRUE(map.error) << row.text;
        EXPECT_EQ(map.error->line, row.line) << row.text;
        EXPECT_NE(map.error->reason.find(row.reasonHas), std::string::npos) << row.text << ": " << map.error->reason;
        EXPECT_TRUE(map.lines.empty()) << row.text;
    }
}

} // namespace
} // namespace tintor
