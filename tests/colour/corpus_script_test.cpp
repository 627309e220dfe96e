#include "colour/colour_script.h"
#include "colour/colour_table.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/recording_sink.h"

#include "support/corpus.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

// The colour tables of every real movie that loads: untouched tables stay
// untouched through the selection cycle, and a script of an effect loads back
// into a fresh table as exactly the colours the effect gave.
TEST(CorpusScriptTest, RealTablesSurviveSelectionAndScriptRoundTrips)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    int tables = 0;
    for (const std::string& movie : test::CorpusMovies()) {
        SCOPED_TRACE(movie);
        CRecordingSink loadSink;
        CSwfFile file(loadSink);
        CMemoryInputFile input(test::ReadBytes(test::CorpusDir() / movie), movie);
        if (!file.Load(input) || file.Colors().Empty())
            continue;
        ++tables;

        CColorTable table;
        table.ResetColorTable();
        table.FillColorTable(file.Colors());
        CRecordingSink sink;
        for (std::uint32_t key : table.Map().Keys())
            table.Select(key, 1, sink);
        table.ApplyEffects(sink);
        table.Map().ForEach([](std::uint32_t key, std::uint32_t value) { ASSERT_EQ(value, key | kSelectedBit); });
        EXPECT_EQ(WriteColorScript(table, sink).size(), 22u);

        table.Effect("H", 150, sink);
        table.Effect("V", 120, sink);
        const std::string script = WriteColorScript(table, sink);
        CColorTable loaded;
        loaded.ResetColorTable();
        loaded.FillColorTable(file.Colors());
        const auto result = ReadColorScript(
            std::span(reinterpret_cast<const std::uint8_t*>(script.data()), script.size()), loaded, sink);
        EXPECT_EQ(result.notFound + result.malformed, 0);
        table.Map().ForEach([&](std::uint32_t key, std::uint32_t) {
            ASSERT_EQ(*loaded.Map().Find(key), table.GetColor(key, 1, sink)) << std::hex << key;
        });
        EXPECT_TRUE(sink.Messages().empty());
    }
    if (tables == 0)
        GTEST_SKIP() << "no corpus movie with colours found under " << test::CorpusDir();
}

} // namespace
} // namespace tintor
