// Images in the history: steps, undo and redo to the exact bytes, the
// movie's modified mark and the preview file.
#include "doc_fixture.h"

#include "core/file.h"
#include "support/corpus.h"
#include "testkit/image_bodies.h"
#include "testkit/movie_builder.h"

#include <functional>

namespace tintor::test {
namespace {

constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;

// A red background, a lossless image with alpha and a JPEG.
std::vector<std::uint8_t> MovieWithTwoImages()
{
    CMovieBuilder b;
    b.AddTag(9, std::vector<std::uint8_t>{0xFF, 0x00, 0x00});
    std::vector<std::uint8_t> argb;
    for (int i = 0; i < 7 * 3; ++i)
        argb.insert(argb.end(), {static_cast<std::uint8_t>(0x80 + i), 0x60, 0x30, static_cast<std::uint8_t>(i * 9)});
    b.AddTag(36, LosslessBody(1, 5, 7, 3, argb));
    b.AddTag(21, JpegTagBody(21, 2, JpegOf(PhotoLikeRgb(24, 16), 24, 16)));
    b.AddTag(1, {});
    return b.Build(true);
}

class DocBitmapTest : public DocTest {
protected:
    std::vector<std::uint8_t> Saved(const std::string& name)
    {
        EXPECT_TRUE(m_doc->OnSaveDocument(m_dir / name));
        return ReadBytes(m_dir / name);
    }
    void SelectImages(bool first, bool second)
    {
        m_doc->SelectBitmapsWhere([&](const BitmapEntry& e) {
            return e.record.characterId == 1 ? first : e.record.characterId == 2 && second;
        });
    }
};

TEST_F(DocBitmapTest, UndoAndRedoGiveBackTheImagesByteForByte)
{
    const auto original = MovieWithTwoImages();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("m.swf", original)));
    SelectImages(true, true);
    m_doc->Effect("H", 170);
    m_doc->ApplyPending();
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 1);
    EXPECT_EQ(m_doc->GetMovie().ReplacedImageCount(), 2u);
    const auto shifted = Saved("shifted.swf");
    ASSERT_NE(shifted, original);

    // A second step on top, to undo through.
    m_doc->Effect("V", 40);
    m_doc->ApplyPending();
    const auto darker = Saved("darker.swf");
    ASSERT_NE(darker, shifted);

    m_doc->OnEditUndo();
    EXPECT_EQ(Saved("undone1.swf"), shifted);
    m_doc->OnEditUndo();
    EXPECT_EQ(m_doc->GetMovie().ReplacedImageCount(), 0u);
    EXPECT_EQ(Saved("undone2.swf"), original);
    m_doc->OnEditRedo();
    EXPECT_EQ(Saved("redone1.swf"), shifted);
    m_doc->OnEditRedo();
    EXPECT_EQ(Saved("redone2.swf"), darker);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(DocBitmapTest, ImageChangesAreStepsAndMarkTheMovie)
{
    using Action = std::function<void()>;
    const Action first = [this] { SelectImages(true, false); };
    const Action second = [this] { SelectImages(false, true); };
    const Action red = [this] { SelectOnly(*m_doc, {kRed}); };
    const Action shift = [this] { m_doc->Effect("H", 40); };
    const Action apply = [this] { m_doc->ApplyPending(); };
    const Action undo = [this] { m_doc->OnEditUndo(); };
    const Action save = [this] { ASSERT_TRUE(m_doc->OnSaveDocument(m_dir / "saved.swf")); };
    const struct {
        const char* name;
        std::vector<Action> actions;
        int steps;
        bool modified;
        bool matches;
    } rows[] = {
        {"choosing an image", {first, second}, 0, false, true},
        {"a shift not applied", {first, shift}, 0, false, false},
        {"another image folds the shift in", {first, shift, second}, 1, false, false},
        {"Apply of images alone", {first, shift, apply}, 1, true, true},
        {"Apply, then another image: the same images", {first, shift, apply, second}, 1, true, true},
        {"Apply, then a colour: the same images", {first, shift, apply, red}, 1, true, true},
        {"undone to the movie as opened", {first, shift, apply, undo}, 0, false, true},
        {"undone to the state saved", {first, shift, apply, save, second, shift, apply, undo}, 1, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_doc.emplace(m_messages, m_dialogs);
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("m.swf", MovieWithTwoImages())));
        for (const Action& action : row.actions)
            action();
        EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), row.steps);
        EXPECT_EQ(m_doc->IsModified(), row.modified);
        EXPECT_EQ(m_doc->PreviewMatchesList(), row.matches);
    }
}

TEST_F(DocBitmapTest, ThePreviewFileHoldsTheReencodedImages)
{
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("m.swf", MovieWithTwoImages())));
    SelectImages(true, true);
    m_doc->Effect("S", 20);
    m_doc->ApplyPending();
    const auto preview = ReadBytes(*m_doc->GetTempFilePath());
    EXPECT_EQ(preview, Saved("saved.swf"));
    EXPECT_NE(preview, MovieWithTwoImages());
}

} // namespace
} // namespace tintor::test
