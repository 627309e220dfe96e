// Every real movie of the corpus through Load and Save.
#include "support/corpus.h"
#include "swf/swf_deflate.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace tintor {
namespace {

class CorpusContainerTest : public ::testing::TestWithParam<std::string> {};

std::vector<std::uint8_t> Inflate(std::span<const std::uint8_t> stream, std::size_t size)
{
    std::vector<std::uint8_t> out(size);
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = const_cast<std::uint8_t*>(stream.data());
    zs.avail_in = static_cast<uInt>(stream.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    inflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    inflateEnd(&zs);
    return out;
}

TEST_P(CorpusContainerTest, LoadsAndSavesBackTheSameMovie)
{
    if (GetParam() == test::kNoCorpus)
        GTEST_SKIP() << test::NoCorpusMessage();
    const auto bytes = test::ReadBytes(test::CorpusDir() / GetParam());
    ASSERT_GE(bytes.size(), 3u);
    CRecordingSink messages;
    CSwfFile movie(messages);
    CMemoryInputFile file(bytes, "corpus.swf");
    const bool loaded = movie.Load(file);
    const std::string signature(bytes.begin(), bytes.begin() + 3);
    if (signature != "FWS" && signature != "CWS" && signature != "ZWS") {
        EXPECT_FALSE(loaded);
        if (bytes.size() >= 8) {
            EXPECT_EQ(
                messages.Messages(), std::vector<std::string>{"ERROR: Illegal Header - not a Shockwave Flash File"});
        }
        return;
    }
    const std::uint32_t fileLength
        = bytes.size() < 8 ? 0 : (bytes[4] | bytes[5] << 8 | bytes[6] << 16 | std::uint32_t{bytes[7]} << 24);
    if (fileLength < 21) {
        // A header that lies about its length below the smallest movie is refused.
        EXPECT_FALSE(loaded);
        EXPECT_EQ(messages.Messages(), std::vector<std::string>{"ERROR: file size is too short"});
        return;
    }
    ASSERT_TRUE(loaded) << (messages.Messages().empty() ? "" : messages.Messages().front());
    CMemoryOutputFile out;
    ASSERT_TRUE(movie.Save(out));
    const auto& saved = out.Bytes();
    if (signature == "FWS") {
        // Every byte, also those after a FileLength that says less than the file holds.
        EXPECT_EQ(saved, bytes);
    } else if (signature == "ZWS") {
        ASSERT_GE(saved.size(), 8u);
        EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 8, bytes.begin()));
        CSwfFile again(messages);
        CMemoryInputFile in(saved, "again.swf");
        ASSERT_TRUE(again.Load(in));
        EXPECT_TRUE(
            std::equal(again.Buffer().begin(), again.Buffer().end(), movie.Buffer().begin(), movie.Buffer().end()));
    } else {
        // libdeflate, which loaded it, and zlib, which would have in its
        // place, give the same body and leave the same bytes after it.
        const auto stream = std::span(bytes).subspan(8);
        std::vector<std::uint8_t> whole(movie.FileSize() - 8);
        const auto used = InflateWhole(stream, whole);
        ByteBuffer asRead, after;
        CMemoryInputFile nothingMore({}, "none");
        ASSERT_TRUE(InflateAsRead(stream, nothingMore, movie.FileSize() - 8, asRead, after));
        ASSERT_TRUE(used.has_value());
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), asRead.begin() + 8, asRead.end()));
        EXPECT_TRUE(
            std::equal(after.begin(), after.end(), stream.begin() + static_cast<std::ptrdiff_t>(*used), stream.end()));

        ASSERT_GE(saved.size(), 8u);
        EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 8, bytes.begin()));
        const auto body = Inflate(std::span(saved).subspan(8), movie.FileSize() - 8);
        EXPECT_TRUE(std::equal(body.begin(), body.end(), movie.Buffer().begin() + 8, movie.Buffer().end()));
        EXPECT_EQ(body.size(), movie.FileSize() - 8u);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusContainerTest, ::testing::ValuesIn(test::CorpusParams(test::CorpusMovies())),
    [](const auto& info) { return test::CorpusTestName(info.param) + "_" + std::to_string(info.index); });

} // namespace
} // namespace tintor
