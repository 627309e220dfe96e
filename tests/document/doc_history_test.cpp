// What is a step of the history and what marks the movie modified, the
// list's order, and preview files written aside.
#include "doc_fixture.h"

#include "support/corpus.h"
#include "testkit/movie_builder.h"

#include <algorithm>
#include <deque>
#include <functional>

namespace tintor::test {
namespace {

constexpr std::uint16_t kSetBackgroundColor = 9;
constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;
constexpr std::uint32_t kBlue = KIND_BG | 0xFF0000;

std::vector<std::uint8_t> RedAndBlue()
{
    CMovieBuilder builder;
    builder.AddTag(kSetBackgroundColor, std::vector<std::uint8_t>{0xFF, 0x00, 0x00});
    builder.AddTag(kSetBackgroundColor, std::vector<std::uint8_t>{0x00, 0x00, 0xFF});
    return builder.Build();
}

// Runs the posted tasks when the test says so, as an event loop would.
class CQueuedPoster final : public ITaskPoster {
public:
    void Post(std::function<void()> task) override { m_tasks.push_back(std::move(task)); }
    void RunAll()
    {
        while (!m_tasks.empty()) {
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            task();
        }
    }

private:
    std::deque<std::function<void()>> m_tasks;
};

TEST_F(DocTest, OnlyChangedColoursAreStepsAndMarkTheMovie)
{
    using Action = std::function<void(CTintorDoc&)>;
    const Action selectRed = [](CTintorDoc& doc) { doc.SelectWhere([](ColorKey key) { return key == kRed; }); };
    const Action selectBlue = [](CTintorDoc& doc) { doc.SelectWhere([](ColorKey key) { return key == kBlue; }); };
    const Action darken = [](CTintorDoc& doc) { doc.Effect("V", 0); };
    const Action lighten = [](CTintorDoc& doc) { doc.Effect("V", 200); };
    const Action neutral = [](CTintorDoc& doc) { doc.Effect("V", 100); };
    const Action apply = [](CTintorDoc& doc) { doc.ApplyPending(); };
    const Action undo = [](CTintorDoc& doc) { doc.OnEditUndo(); };
    const Action redo = [](CTintorDoc& doc) { doc.OnEditRedo(); };
    const Action save = [this](CTintorDoc& doc) { ASSERT_TRUE(doc.OnSaveDocument(m_dir / "saved.swf")); };
    const struct {
        const char* name;
        std::vector<Action> actions;
        int steps;
        bool modified;
        bool matches;
    } rows[] = {
        {"a selection", {selectRed, selectBlue}, 0, false, true},
        {"a slider moved and not applied", {selectRed, darken}, 0, false, false},
        {"another selection folds the moved slider in", {selectRed, darken, selectBlue}, 1, false, false},
        {"Apply with neutral sliders", {selectRed, apply}, 0, false, true},
        {"Apply with nothing selected", {darken, apply}, 0, false, true},
        {"a slider moved and back", {selectRed, darken, neutral, apply}, 0, false, true},
        {"Apply", {selectRed, darken, apply}, 1, true, true},
        {"Apply twice", {selectRed, darken, apply, apply}, 1, true, true},
        {"Apply, then a selection", {selectRed, darken, apply, selectBlue}, 1, true, true},
        {"a folded change applied", {selectRed, darken, selectBlue, apply}, 1, true, true},
        {"undone to the movie as opened", {selectRed, darken, apply, undo}, 0, false, true},
        {"undone and redone", {selectRed, darken, apply, undo, redo}, 1, true, true},
        {"undone to the state saved", {selectRed, darken, apply, save, selectBlue, lighten, apply, undo}, 1, false,
            true},
        {"undone past the state saved", {selectRed, darken, apply, save, selectBlue, lighten, apply, undo, undo}, 0,
            true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CTintorDoc doc(m_messages, m_dialogs);
        ASSERT_TRUE(doc.OnOpenDocument(Write("hand.swf", RedAndBlue())));
        for (const Action& action : row.actions)
            action(doc);
        EXPECT_EQ(doc.GetHistory().GetUndoCount(), row.steps);
        EXPECT_EQ(doc.IsModified(), row.modified);
        EXPECT_EQ(doc.PreviewMatchesList(), row.matches);
    }
}

TEST_F(DocTest, ListOrderIsAStableSortOfTheTablesOrder)
{
    // Many keys with equal sort values: each colour under several kinds,
    // greys, and colours that differ only in saturation.
    CColorTable table;
    table.ResetColorTable();
    std::uint32_t x = 12345;
    for (int i = 0; i < 3000; ++i) {
        x = x * 1103515245 + 12345;
        const std::uint32_t rgb = i % 3 == 0 ? 0x010101 * ((x >> 8) & 0xFF) : (x >> 4) & 0xF0F0F0;
        table.Map().Set(kColorKinds[(x >> 28) % std::size(kColorKinds)].kind | rgb, 0);
    }
    for (const bool copied : {false, true}) {
        SCOPED_TRACE(copied ? "copied (chains reversed)" : "as built");
        const CColorTable& t = copied ? CColorTable(table) : table;
        std::vector<ColorKey> expected = t.Map().Keys();
        std::stable_sort(expected.begin(), expected.end(),
            [](ColorKey a, ColorKey b) { return CTintorDoc::SortValue(a) < CTintorDoc::SortValue(b); });
        EXPECT_EQ(CTintorDoc::ListedKeys(t), expected);
    }
}

TEST_F(DocTest, PreviewFilesWrittenAsideReachThePreviewWhenComplete)
{
    CQueuedPoster poster;
    m_doc->WritePreviewAside(&poster);
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", RedAndBlue())));
    EXPECT_TRUE(m_doc->PreviewPending());
    m_doc->FlushPreview();
    poster.RunAll();
    EXPECT_FALSE(m_doc->PreviewPending());
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Refresh"}));
    const auto preview = *m_doc->GetTempFilePath();
    EXPECT_EQ(ReadBytes(preview), RedAndBlue());

    // Two edits in a row: the preview hears of the newest file only.
    m_views.m_calls.clear();
    SelectOnly(*m_doc, {kRed});
    m_doc->Effect("V", 0);
    m_doc->ApplyPending();
    m_doc->Effect("V", 50);
    m_doc->ApplyPending();
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Stop"}));
    m_doc->FlushPreview();
    poster.RunAll();
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Stop", "Refresh"}));
    EXPECT_EQ(ReadBytes(preview), Buffer());
    EXPECT_TRUE(m_messages.Messages().empty());

    // A report that arrives after the document has gone is dropped.
    m_doc->Effect("V", 70);
    m_doc->ApplyPending();
    m_doc->FlushPreview();
    m_doc.reset();
    poster.RunAll();
}

} // namespace
} // namespace tintor::test
