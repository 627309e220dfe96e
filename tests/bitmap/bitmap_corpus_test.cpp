// Every image of the real movies shifted: only the chosen tags change, and
// each comes back decodable at its size.
#include "document/tintor_doc.h"
#include "support/corpus.h"
#include "support/tag_headers.h"
#include "testkit/memory_files.h"
#include "testkit/no_dialogs.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

std::optional<CSwfFile> LoadMovie(const std::vector<std::uint8_t>& bytes, CRecordingSink& messages)
{
    CSwfFile movie(messages);
    CMemoryInputFile file(bytes, "m.swf");
    if (!movie.Load(file))
        return std::nullopt;
    return movie;
}

TEST(BitmapCorpus, EveryRecolourableImageIsReEncodedAndNothingElseMoves)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    int moviesWithImages = 0;
    for (const std::string& name : test::CorpusMovies()) {
        const auto bytes = test::ReadBytes(test::CorpusDir() / name);
        CRecordingSink messages;
        const auto original = LoadMovie(bytes, messages);
        if (!original || original->Images().empty())
            continue;
        SCOPED_TRACE(name);
        ++moviesWithImages;
        CNoDialogs dialogs;
        CTintorDoc doc(messages, dialogs);
        doc.SetPreviewFileWritten(false);
        CMemoryInputFile file(bytes, "m.swf");
        ASSERT_TRUE(doc.OnOpenDocument(file, "m.swf"));
        doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
        doc.Effect("H", 150);
        doc.ApplyPending();
        CMemoryOutputFile out;
        ASSERT_TRUE(doc.SaveMovie(out));
        const auto saved = LoadMovie(out.Bytes(), messages);
        ASSERT_TRUE(saved.has_value());
        ASSERT_EQ(saved->Images().size(), original->Images().size());
        const auto& entries = doc.GetBitmaps().Entries();
        // Between the images, every byte is where it was, only shifted by
        // the change of length of the images before it.
        std::size_t from = 8;
        std::size_t savedFrom = 8;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const SwfImageRecord& o = original->Images()[i];
            const SwfImageRecord& s = saved->Images()[i];
            EXPECT_TRUE(std::equal(original->Buffer().begin() + static_cast<std::ptrdiff_t>(from),
                original->Buffer().begin() + o.tagOffset,
                saved->Buffer().begin() + static_cast<std::ptrdiff_t>(savedFrom),
                saved->Buffer().begin() + s.tagOffset));
            from = o.bodyOffset + o.bodyLength;
            savedFrom = s.bodyOffset + s.bodyLength;
            EXPECT_EQ(s.characterId, o.characterId);
            const auto description = CBitmapImage::Describe(SourceOf(*saved, s));
            EXPECT_EQ(description.Recolourable(), entries[i].description.Recolourable()) << description.problem;
            EXPECT_EQ(description.width, entries[i].description.width);
            EXPECT_EQ(description.height, entries[i].description.height);
            if (!entries[i].description.Recolourable()) {
                EXPECT_EQ(s.bodyLength, o.bodyLength);
            }
        }
        EXPECT_TRUE(std::equal(original->Buffer().begin() + static_cast<std::ptrdiff_t>(from), original->Buffer().end(),
            saved->Buffer().begin() + static_cast<std::ptrdiff_t>(savedFrom), saved->Buffer().end()));
        std::printf("%s: %zu -> %u bytes\n", name.c_str(), bytes.size() < 8 ? 0 : std::size_t{original->FileSize()},
            saved->FileSize());
    }
    EXPECT_GT(moviesWithImages, 10);
}

} // namespace
} // namespace tintor
