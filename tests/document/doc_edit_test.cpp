// The edits that the colour view and tintor-cli hand to the document:
// selection, Apply, loading a script, the Alt+click's nearest colour and
// the list's order.
#include "doc_fixture.h"

#include "testkit/movie_builder.h"

namespace tintor::test {
namespace {

constexpr std::uint16_t kSetBackgroundColor = 9;
// Background keys: red in the low byte.
constexpr std::uint32_t kBlack = KIND_BG | 0x000000;
constexpr std::uint32_t kRed = KIND_BG | 0x0000FF;
constexpr std::uint32_t kBlue = KIND_BG | 0xFF0000;
constexpr std::uint32_t kWhite = KIND_BG | 0xFFFFFF;

// One background record per key, in the given order.
std::vector<std::uint8_t> Backgrounds(std::initializer_list<std::uint32_t> keys)
{
    CMovieBuilder builder;
    for (const std::uint32_t key : keys) {
        const std::uint8_t rgb[] = {
            static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key >> 16)};
        builder.AddTag(kSetBackgroundColor, rgb);
    }
    return builder.Build();
}

TEST_F(DocTest, ListRunsByLightnessThenHue)
{
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", Backgrounds({kWhite, kBlue, kBlack, kRed}))));
    // Lightness 0, then blue and red at one lightness (hue 170 before pure
    // red's 255, a full turn), then lightness 255.
    EXPECT_EQ(CTintorDoc::ListedKeys(m_doc->GetColorTable()), (std::vector<ColorKey>{kBlack, kBlue, kRed, kWhite}));
}

TEST_F(DocTest, NearestColourIsTheFirstListedOneBelowTheLimit)
{
    const std::uint32_t darkBlue = KIND_BG | 0x140000; // blue 20
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", Backgrounds({darkBlue, kRed, kBlack}))));
    const struct {
        const char* name;
        std::uint32_t rgb;
        std::optional<ColorKey> nearest;
    } rows[] = {
        {"exact", 0x0000FF, kRed},
        {"squared distance 998", 0x0106E0, kRed},          // 31² + 6² + 1²
        {"squared distance 1000", 0x000AE1, std::nullopt}, // 30² + 10²
        {"halfway between two, the first listed wins", 0x0A0000, kBlack},
        {"the alpha byte is no colour", 0xFF0000FF, kRed},
    };
    for (const auto& row : rows)
        EXPECT_EQ(m_doc->NearestColor(row.rgb), row.nearest) << row.name;

    // The colours as shown count: red with its pending effect is red no more.
    SelectOnly(*m_doc, {kRed});
    m_doc->Effect("V", 200);
    EXPECT_EQ(m_doc->NearestColor(0x0000FF), std::nullopt);
    EXPECT_EQ(m_doc->NearestColor(m_doc->GetColor(kRed, 1)), kRed);
}

TEST_F(DocTest, ApplyPendingWritesTheSelectionAndKeepsTheEffectPending)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    const std::uint8_t blue[] = {0x00, 0x00, 0xFF};
    const std::uint32_t redAt = builder.AddTag(kSetBackgroundColor, red);
    const std::uint32_t blueAt = builder.AddTag(kSetBackgroundColor, blue);
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", builder.Build())));
    m_doc->SelectWhere([](ColorKey key) { return key == kRed; });
    m_doc->Effect("V", 0);
    m_doc->ApplyPending();
    const auto after = Buffer();
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + redAt, after.begin() + redAt + 3),
        (std::vector<std::uint8_t>{0x00, 0x00, 0x00}));
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + blueAt, after.begin() + blueAt + 3),
        (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));
    EXPECT_EQ(m_doc->GetColorTable().Value(), 0);
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 1);
    EXPECT_TRUE(m_doc->IsModified());
}

TEST_F(DocTest, LoadTableSaysWhetherAScriptWasReadAndChangesOnlyWhatWasKept)
{
    const auto text = [](std::string_view t) { return std::vector<std::uint8_t>(t.begin(), t.end()); };
    const auto script = Write("red-to-blue.iro", text("[TINTOR SCRIPT]\n@bg   #0000ff -> #ff0000\n[END]\n"));
    const auto partly = Write("partly.iro", text("@bg   #0000ff -> #ff0000\n@bg   #123456 -> #000000\n"));
    const auto none = Write("none.iro", text("@bg   #123456 -> #000000\n"));
    const auto garbage = Write("garbage.iro", text("Dear diary, today nothing happened."));
    const auto movie = Write("movie.iro", Backgrounds({kRed}));
    const struct {
        const char* name;
        bool movie;
        std::optional<std::filesystem::path> answer;
        bool keep; // the answer to the question about colours not found
        bool loaded;
        bool changed;
        const char* message; // what the user reads, when anything
    } rows[] = {
        {"no movie", false, script, true, false, false, nullptr},
        {"cancelled", true, std::nullopt, true, false, false, nullptr},
        {"unreadable", true, m_dir / "missing.iro", true, false, false, "loadtable: file open error!"},
        {"not a script", true, garbage, true, false, false, "garbage.iro: not a colour script"},
        {"a movie", true, movie, true, false, false, "movie.iro: not a colour script"},
        {"read", true, script, true, true, true, nullptr},
        {"partly found, kept", true, partly, true, true, true, "見つからない色"},
        {"partly found, declined", true, partly, false, false, false, "見つからない色"},
        {"none found", true, none, true, true, false, "見つからない色"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_messages.Clear();
        m_messages.SetKeepScript(row.keep);
        CTintorDoc doc(m_messages, m_dialogs);
        if (row.movie) {
            ASSERT_TRUE(doc.OnOpenDocument(Write("bg.swf", Backgrounds({kRed}))));
        }
        doc.Effect("H", 20);
        m_dialogs.m_open = row.answer;
        const int before = doc.GetHistory().GetUndoCount();
        EXPECT_EQ(doc.LoadTable(), row.loaded);
        EXPECT_EQ(doc.GetHistory().GetUndoCount() - before, row.changed ? 1 : 0);
        EXPECT_EQ(doc.IsModified(), row.changed);
        EXPECT_EQ(doc.GetColorTable().Hue(), row.changed ? 100 : 20);
        if (row.message == nullptr)
            EXPECT_TRUE(m_messages.Messages().empty());
        else
            EXPECT_TRUE(HasMessage(row.message));
        if (row.movie) {
            EXPECT_EQ(doc.GetColor(kRed, 0) == kBlue, row.changed);
        }
    }
    // The question tells how many lines were used and how many not found.
    ASSERT_EQ(m_messages.Mismatches().size(), 1u);
    EXPECT_EQ(m_messages.Mismatches()[0].path, none);
    EXPECT_EQ(m_messages.Mismatches()[0].used, 0);
    EXPECT_EQ(m_messages.Mismatches()[0].notFound, 1);
}

TEST_F(DocTest, SelectionByAppearanceIsOneStepAndExceptWins)
{
    const std::uint32_t darkRed = KIND_BG | 0x1818DC; // ΔE 6.8 from red
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", Backgrounds({kRed, darkRed, kBlue, kWhite}))));
    const auto selected = [&] {
        std::vector<ColorKey> keys;
        for (const ColorKey key : CTintorDoc::ListedKeys(m_doc->GetColorTable()))
            if (IsSelected(*m_doc->GetColorTable().Map().Find(key)))
                keys.push_back(key);
        return keys;
    };
    ColourSelection similar;
    similar.near = {0x0000FF};
    ColourSelection whiteButRed;
    whiteButRed.keys = {kWhite};
    whiteButRed.except = {kRed};
    const struct {
        const char* name;
        const ColourSelection& selection;
        bool add;
        std::vector<ColorKey> expected;
    } steps[] = {
        {"similar to red", similar, false, {darkRed, kRed}},
        {"white added, red kept out", whiteButRed, true, {darkRed, kWhite}},
        {"white alone", whiteButRed, false, {kWhite}},
    };
    for (const auto& step : steps) {
        m_doc->SelectMatching(step.selection, step.add);
        EXPECT_EQ(selected(), step.expected) << step.name;
        // A selection changes no colour: no step.
        EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 0) << step.name;
    }
}

TEST_F(DocTest, MappingOntoAPaletteWritesTheSelectionInOneStep)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00}, grey[] = {0x70, 0x70, 0x70};
    const std::uint32_t redAt = builder.AddTag(kSetBackgroundColor, red);
    const std::uint32_t greyAt = builder.AddTag(kSetBackgroundColor, grey);
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("bg.swf", builder.Build())));
    SelectOnly(*m_doc, {kRed});
    // The pending effect ends first: red turned black is nearest to black.
    m_doc->Effect("V", 0);
    const std::uint32_t palette[] = {0xFFFFFF, 0x101010, 0x0000C0};
    const int before = m_doc->GetHistory().GetUndoCount();
    EXPECT_EQ(m_doc->MapSelectedToPalette(palette, PaletteMatch::Nearest), 1u);
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), before + 1);
    EXPECT_TRUE(m_doc->GetColorTable().ParametersAreDefault());
    const auto after = Buffer();
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + redAt, after.begin() + redAt + 3),
        (std::vector<std::uint8_t>{0x10, 0x10, 0x10}));
    EXPECT_EQ(std::vector<std::uint8_t>(after.begin() + greyAt, after.begin() + greyAt + 3),
        (std::vector<std::uint8_t>{0x70, 0x70, 0x70}));
    m_doc->OnEditUndo();
    EXPECT_EQ(m_doc->GetColor(kRed, 1), kRed); // one step back: the colours before the mapping
    EXPECT_EQ(m_doc->MapSelectedToPalette({}, PaletteMatch::Nearest), 0u);
}

} // namespace
} // namespace tintor::test
