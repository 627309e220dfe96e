#include "core/json_writer.h"
#include "testkit/memory_files.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

TEST(JsonWriterTest, StringsComeOutAsValidUtf8WithEveryControlByteEscaped)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain name.swf", R"("plain name.swf")"},
        {"say \"hi\" \\ there", R"("say \"hi\" \\ there")"},
        {std::string("nul\0tab\tline\nbell\x07", 18), R"("nul\u0000tab\tline\nbell\u0007")"},
        {"\xE8\x89\xB2.swf", "\"\xE8\x89\xB2.swf\""},         // kept as it is
        {"\xFF\xFEname", "\"\xEF\xBF\xBD\xEF\xBF\xBDname\""}, // each bad byte replaced
        {"cut \xE8\x89", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""}, // a sequence cut short
        {"\xC0\xAF overlong \xED\xA0\x80 surrogate",
            "\"\xEF\xBF\xBD\xEF\xBF\xBD overlong \xEF\xBF\xBD\xEF\xBF\xBD"
            "\xEF\xBF\xBD surrogate\""},
    };
    for (const auto& c : cases) {
        CJsonWriter json;
        json.String(c.in);
        ASSERT_TRUE(json.Finish());
        EXPECT_EQ(json.Text(), c.out + "\n") << c.in;
    }
}

TEST(JsonWriterTest, BlocksTakeALinePerMemberAndInlineContainersStayOnOne)
{
    CJsonWriter json;
    json.BeginObject();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("list");
    json.BeginArray();
    json.BeginObject(CJsonWriter::Layout::Inline);
    json.Key("rgb");
    json.BeginArray(CJsonWriter::Layout::Block); // inline inside inline
    json.Number(255);
    json.Number(-1);
    json.EndArray();
    json.Key("ok");
    json.Bool(true);
    json.EndObject();
    json.Null();
    json.EndArray();
    json.EndObject();
    ASSERT_TRUE(json.Finish());
    EXPECT_EQ(
        json.Text(), "{\n  \"empty\": [],\n  \"list\": [\n    {\"rgb\": [255, -1], \"ok\": true},\n    null\n  ]\n}\n");
}

TEST(JsonWriterTest, ALargeDocumentGoesOutInPiecesAndAFailedWriteIsReported)
{
    const auto write = [](IOutputFile& out) {
        CJsonWriter json(&out);
        json.BeginArray();
        for (std::uint32_t i = 0; i < 100000; ++i)
            json.Number(i);
        json.EndArray();
        return json.Finish();
    };
    CMemoryOutputFile whole;
    ASSERT_TRUE(write(whole));
    EXPECT_GT(whole.Writes(), 5u); // never held whole
    EXPECT_EQ(std::string(whole.Bytes().end() - 10, whole.Bytes().end()), "  99999\n]\n");
    for (const std::size_t failAfter : {std::size_t{0}, whole.Bytes().size() / 2, whole.Bytes().size() - 1}) {
        CMemoryOutputFile failing(failAfter);
        EXPECT_FALSE(write(failing)) << failAfter;
    }
}

} // namespace
} // namespace tintor
