// Open, select, move sliders, apply, undo, redo and colour scripts through
// the document, with fake views and dialogs.
#include "doc_fixture.h"

#include "core/file.h"
#include "support/corpus.h"
#include "swf/cxform_record.h"
#include "swf/script_constants.h"
#include "testkit/movie_builder.h"

#include <algorithm>

namespace tintor::test {
namespace {

constexpr std::uint16_t kSetBackgroundColor = 9;
constexpr std::uint32_t kRedBg = KIND_BG | 0x0000FF;
constexpr std::uint32_t kBlueBg = KIND_BG | 0xFF0000;

// Three background records: red, blue, red again; the positions of their
// colour bytes are known from the builder.
struct HandMovie {
    std::vector<std::uint8_t> bytes;
    std::uint32_t red1, blue, red2;
};

HandMovie MakeHandMovie(bool compressed = false)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00};
    const std::uint8_t blue[] = {0x00, 0x00, 0xFF};
    HandMovie movie;
    movie.red1 = builder.AddTag(kSetBackgroundColor, red);
    movie.blue = builder.AddTag(kSetBackgroundColor, blue);
    movie.red2 = builder.AddTag(kSetBackgroundColor, red);
    movie.bytes = builder.Build(compressed);
    return movie;
}

// Bytes of the movie that no colour place covers must never change.
void ExpectOnlyColourBytesDiffer(
    const CSwfFile& movie, const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after)
{
    ASSERT_EQ(before.size(), after.size());
    std::vector<bool> colourByte(before.size(), false);
    movie.Colors().ForEach([&](ColorKey, const PositionList& positions) {
        for (const auto p : positions)
            std::fill_n(colourByte.begin() + p, movie.PlaceSize(p), true);
    });
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!colourByte[i]) {
            ASSERT_EQ(before[i], after[i]) << "byte " << i << " is no colour byte";
        }
}

// What a place shows once the colour c is written there: c itself, except
// at a tint, whose add terms round it (and which gives back its colour as
// loaded exactly).
std::uint32_t Shown(const CSwfFile& movie, std::uint32_t pos, std::uint32_t c)
{
    const EncodedPlace* place = movie.EncodedPlaceAt(pos);
    if (place == nullptr || place->form == PlaceForm::HtmlHex || IsScriptForm(place->form) || c == place->loaded)
        return c;
    const auto record = ParseCxformRecord(movie.Buffer().subspan(pos), place->form == PlaceForm::TintWithAlpha);
    const std::int32_t m = TintOf(*record)->mult;
    std::uint32_t shown = 0;
    for (unsigned ch = 0; ch < 3; ++ch)
        shown |= TintChannel(TintAddTerm((c >> (8 * ch)) & 0xFF, m), m) << (8 * ch);
    return shown;
}

// Every place of the document's movie, read in holder (the movie itself or
// a copy of it), shows the colour the table gives its key; the tints the
// document reports as kept are left out.
void ExpectBufferFollowsTable(CTintorDoc& doc, const CSwfFile& holder)
{
    std::vector<ColorKey> kept;
    for (const KeptColour& k : doc.KeptColours())
        kept.push_back(k.key);
    doc.GetMovie().Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        if (std::find(kept.begin(), kept.end(), key) != kept.end())
            return;
        const std::uint32_t c = RgbOf(doc.GetColor(key, 1));
        for (const auto p : positions)
            EXPECT_EQ(holder.ColourAt(p), Shown(doc.GetMovie(), p, c)) << std::hex << key << " at " << std::dec << p;
    });
}

TEST_F(DocTest, OpenFillsTableStartsHistoryAndWritesPreview)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const auto bytes = BuildSampleMovie(compressed);
        const auto path = Write("sample.final.swf", bytes);
        ASSERT_TRUE(m_doc->OnOpenDocument(path));

        EXPECT_TRUE(m_doc->HasMovie());
        EXPECT_TRUE(m_doc->OnUpdateNeedMovie());
        EXPECT_FALSE(m_doc->IsModified());
        EXPECT_EQ(m_doc->GetPathName(), path);
        EXPECT_EQ(m_doc->GetMovie().Title(), "sample");
        EXPECT_FALSE(m_doc->OnUpdateEditUndo());
        EXPECT_FALSE(m_doc->OnUpdateEditRedo());
        const auto& table = m_doc->GetColorTable();
        EXPECT_GT(table.Map().Size(), 5u);
        // Filled in registry order, so each bucket's chain runs reversed.
        auto tableKeys = table.Map().Keys(), registryKeys = m_doc->GetMovie().Colors().Keys();
        std::sort(tableKeys.begin(), tableKeys.end());
        std::sort(registryKeys.begin(), registryKeys.end());
        EXPECT_EQ(tableKeys, registryKeys);
        table.Map().ForEach([](std::uint32_t key, std::uint32_t value) { EXPECT_EQ(key, value); });
        EXPECT_TRUE(table.ParametersAreDefault());

        // The preview is the movie as loaded, compressed as it came.
        const auto preview = m_doc->GetTempFilePath();
        ASSERT_TRUE(preview);
        const auto written = ReadBytes(*preview);
        if (!compressed) {
            EXPECT_EQ(written, bytes);
        }
        ASSERT_GE(written.size(), 8u);
        EXPECT_EQ(written[0], compressed ? 'C' : 'F');
        EXPECT_TRUE(m_messages.Messages().empty());
        // Opening tells no view anything: the window refreshes them itself.
        EXPECT_TRUE(m_views.m_calls.empty());
    }
}

TEST_F(DocTest, ApplyWritesSelectedColoursAtEveryPositionAndNothingElse)
{
    const auto movie = MakeHandMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", movie.bytes)));
    ASSERT_EQ(m_doc->GetMovie().Colors().PositionsOf(kRedBg).size(), 2u);

    SelectOnly(*m_doc, {kRedBg});
    m_doc->Effect("V", 0);             // value slider at the far left: black
    EXPECT_FALSE(m_doc->IsModified()); // selecting and sliding touch no byte
    EXPECT_EQ(Buffer(), movie.bytes);

    m_doc->UpdatePreview(false);
    auto expected = movie.bytes;
    for (const auto p : {movie.red1, movie.red2})
        expected[p] = expected[p + 1] = expected[p + 2] = 0x00;
    EXPECT_EQ(Buffer(), expected); // the blue record, and every other byte, as loaded
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Refresh"}));
    EXPECT_EQ(ReadBytes(*m_doc->GetTempFilePath()), expected);
    // Applying folds nothing into the table: the entry still holds red.
    EXPECT_EQ(m_doc->GetColor(kRedBg, 0), kRedBg);
}

TEST_F(DocTest, APreviewFileIsWrittenWhenItIsBehindEvenIfNoColourChanged)
{
    const auto movie = MakeHandMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", movie.bytes)));
    const auto preview = *m_doc->GetTempFilePath();
    m_views.m_calls.clear();
    m_doc->UpdatePreview(false); // nothing selected: no byte changes, the file is current
    EXPECT_TRUE(m_views.m_calls.empty());
    EXPECT_FALSE(m_doc->IsModified());

    std::filesystem::remove(preview);
    std::filesystem::create_directory(preview); // the next preview write fails
    SelectOnly(*m_doc, {kRedBg});
    m_doc->Effect("V", 0);
    m_messages.Clear();
    m_doc->UpdatePreview(false);
    EXPECT_TRUE(HasMessage("UpdatePreview: can't write the preview file"));
    std::filesystem::remove(preview);
    m_doc->UpdatePreview(false); // no byte changes, but the file is behind
    EXPECT_EQ(ReadBytes(preview), Buffer());
    EXPECT_TRUE(m_doc->IsModified());
}

TEST_F(DocTest, ApplyOnSampleMovieKeepsUnselectedColoursAndAlpha)
{
    const auto bytes = BuildSampleMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("sample.swf", bytes)));
    std::vector<std::uint32_t> selected;
    for (const auto key : m_doc->GetColorTable().Map().Keys())
        if (key & (KIND_FILL | KIND_LINE))
            selected.push_back(key);
    SelectOnly(*m_doc, selected);
    m_doc->Effect("H", 160);
    m_doc->Effect("S", 40);
    m_doc->UpdatePreview(false);

    const auto after = Buffer();
    ExpectOnlyColourBytesDiffer(m_doc->GetMovie(), bytes, after);
    ExpectBufferFollowsTable(*m_doc, m_doc->GetMovie());
    EXPECT_NE(after, bytes);
    m_doc->GetMovie().Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        if ((key & KIND_BG) == 0)
            return;
        for (const auto p : positions)
            EXPECT_TRUE(std::equal(bytes.begin() + p, bytes.begin() + p + 3, after.begin() + p));
    });
}

TEST_F(DocTest, UndoAndRedoRewriteEveryColourFromTheRestoredTable)
{
    const auto bytes = BuildSampleMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("sample.swf", bytes)));
    const auto keys = m_doc->GetColorTable().Map().Keys();
    SelectOnly(*m_doc, {keys.begin(), keys.begin() + 3});
    m_doc->Effect("H", 30);
    m_doc->Effect("V", 150);
    m_doc->ApplyPending();
    const auto applied = Buffer();
    ASSERT_NE(applied, bytes);

    // Back to the selection: its sliders were in the middle, so every colour
    // is written back as loaded, also those Apply had changed.
    m_views.m_calls.clear();
    m_doc->OnEditUndo();
    EXPECT_EQ(Buffer(), bytes);
    EXPECT_EQ(m_views.m_calls, (std::vector<std::string>{"Stop", "Refresh", "SyncControls", "FillList"}));
    EXPECT_EQ(m_views.m_syncedHue, 100);
    EXPECT_FALSE(m_doc->OnUpdateEditUndo()); // the selection was no step of its own
    EXPECT_TRUE(m_doc->OnUpdateEditRedo());
    EXPECT_EQ(m_doc->SelectedCount(), 3u);
    m_doc->GetColorTable().Map().ForEach(
        [](std::uint32_t key, std::uint32_t value) { EXPECT_EQ(key, value & ~kSelectedBit); });

    m_doc->OnEditRedo(); // the Apply state, its pending effect included
    EXPECT_EQ(Buffer(), applied);
    EXPECT_EQ(m_views.m_syncedHue, 30);
    EXPECT_FALSE(m_doc->OnUpdateEditRedo());
    EXPECT_EQ(ReadBytes(*m_doc->GetTempFilePath()), applied);

    // A redo with nothing to redo still refreshes, and changes nothing.
    m_doc->OnEditRedo();
    EXPECT_EQ(Buffer(), applied);
}

TEST_F(DocTest, NewSelectionFoldsThePendingEffectIn)
{
    const auto movie = MakeHandMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", movie.bytes)));
    SelectOnly(*m_doc, {kRedBg});
    m_doc->Effect("V", 0);
    SelectOnly(*m_doc, {kBlueBg}); // the red entry becomes black for good
    EXPECT_EQ(m_doc->GetColor(kRedBg, 1), KIND_BG);
    EXPECT_TRUE(m_doc->GetColorTable().ParametersAreDefault());
    // Apply writes only what is selected now; Undo's full rewrite brings
    // the folded black into the movie.
    m_doc->UpdatePreview(false);
    EXPECT_EQ(Buffer(), movie.bytes);
    m_doc->PushHistory();
    m_doc->OnEditUndo();
    const auto after = Buffer();
    EXPECT_EQ(after[movie.red1], 0x00);
    EXPECT_EQ(after[movie.red2 + 2], 0x00);
    EXPECT_EQ(after[movie.blue + 2], 0xFF);
}

TEST_F(DocTest, ColourScriptCarriesChangesToAnotherMovie)
{
    // The same colours, once plain and once compressed: two movies.
    const auto sourcePath = Write("a.swf", BuildSampleMovie(false));
    const auto targetPath = Write("b.swf", BuildSampleMovie(true));
    ASSERT_TRUE(m_doc->OnOpenDocument(sourcePath));
    std::vector<std::uint32_t> fills;
    for (const auto key : m_doc->GetColorTable().Map().Keys())
        if (key & KIND_FILL)
            fills.push_back(key);
    SelectOnly(*m_doc, fills);
    m_doc->Effect("H", 180);
    m_doc->Effect("UniColor", 1);
    m_doc->UpdatePreview(false);
    const auto undoBefore = m_doc->GetHistory().GetUndoCount();
    m_dialogs.m_save = m_dir / "changes.iro";
    m_doc->OnTableSave();
    ASSERT_TRUE(std::filesystem::exists(m_dir / "changes.iro"));
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), undoBefore); // saving a script is no step
    const auto recoloured = Buffer();

    CFakeViews views;
    CTintorDoc other(m_messages, m_dialogs);
    other.AttachViews(&views, &views);
    ASSERT_TRUE(other.OnOpenDocument(targetPath));
    other.Effect("S", 10); // pending effect, discarded by a successful load
    m_dialogs.m_open = m_dir / "changes.iro";
    other.OnTableLoad();
    const auto otherBytes = other.GetMovie().Buffer();
    EXPECT_TRUE(std::equal(otherBytes.begin() + 8, otherBytes.end(), recoloured.begin() + 8));
    EXPECT_TRUE(other.GetColorTable().ParametersAreDefault());
    EXPECT_TRUE(other.IsModified());
    EXPECT_EQ(views.m_calls, (std::vector<std::string>{"Stop", "Refresh", "SyncControls", "FillList"}));
    EXPECT_EQ(other.GetHistory().GetUndoCount(), 1);
    EXPECT_TRUE(m_messages.Messages().empty());

    // Undo takes the load back, every colour included.
    other.OnEditUndo();
    const auto undone = other.GetMovie().Buffer();
    const auto original = BuildSampleMovie(false);
    EXPECT_TRUE(std::equal(undone.begin() + 8, undone.end(), original.begin() + 8));
}

TEST_F(DocTest, ScriptWithNoMatchingColourWarnsOnceAndChangesNothing)
{
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("a.swf", BuildSampleMovie())));
    SelectOnly(*m_doc, m_doc->GetColorTable().Map().Keys());
    m_doc->Effect("V", 0);
    m_dialogs.m_save = m_dir / "all.iro";
    m_doc->OnTableSave();

    const auto hand = MakeHandMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", hand.bytes)));
    m_dialogs.m_open = m_dir / "all.iro";
    m_doc->OnTableLoad();
    EXPECT_EQ(m_messages.Messages(), (std::vector<std::string>{"見つからない色があるんですけど……いいですか？"}));
    EXPECT_EQ(Buffer(), hand.bytes);
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 0);
    EXPECT_FALSE(m_doc->IsModified());
}

TEST_F(DocTest, CancelledScriptLoadChangesNothingAndIsNoStep)
{
    const auto movie = MakeHandMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("hand.swf", movie.bytes)));
    SelectOnly(*m_doc, {kBlueBg});
    m_doc->Effect("H", 20);
    const CColorTable before = m_doc->GetColorTable();
    m_doc->OnTableLoad(); // the dialog is cancelled
    EXPECT_EQ(m_dialogs.m_asked, 1);
    EXPECT_EQ(m_doc->GetColorTable().Hue(), 20);
    EXPECT_EQ(m_doc->GetColorTable().Map().Keys(), before.Map().Keys());
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 0);
    EXPECT_FALSE(m_doc->IsModified());
    EXPECT_TRUE(m_views.m_calls.empty());
    EXPECT_EQ(Buffer(), movie.bytes);

    // A script that cannot be read: its message, and again no step.
    m_dialogs.m_open = m_dir / "missing.iro";
    m_doc->OnTableLoad();
    EXPECT_TRUE(HasMessage("loadtable: file open error!"));
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 0);
    EXPECT_FALSE(m_doc->IsModified());
}

TEST_F(DocTest, WithoutMovieCommandsDoNothing)
{
    EXPECT_TRUE(m_doc->OnNewDocument());
    EXPECT_FALSE(m_doc->HasMovie());
    EXPECT_FALSE(m_doc->OnUpdateNeedMovie());
    m_doc->Effect("H", 5);
    m_doc->ApplyEffects(); // the table has no movie to fold into
    EXPECT_EQ(m_doc->GetColorTable().Hue(), 5);
    m_doc->UpdatePreview(true);
    EXPECT_FALSE(m_doc->IsModified());
    m_doc->OnTableLoad();
    m_doc->OnTableSave();
    EXPECT_EQ(m_dialogs.m_asked, 0);
    EXPECT_EQ(m_doc->GetHistory().GetUndoCount(), 0);
    EXPECT_TRUE(m_views.m_calls.empty());
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(DocTest, CorpusMovieThroughTheWholeCycle)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    const auto path = CorpusDir() / "ruffle/tests/tests/swfs/from_shumway/3_joystick/test.swf";
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    ASSERT_TRUE(m_doc->GetMovie().IsCompressed());
    const auto loaded = Buffer();
    SelectOnly(*m_doc, m_doc->GetColorTable().Map().Keys());
    m_doc->Effect("H", 60);
    m_doc->Effect("V", 120);
    m_doc->UpdatePreview(false);
    const auto after = Buffer();
    ExpectOnlyColourBytesDiffer(m_doc->GetMovie(), loaded, after);
    ExpectBufferFollowsTable(*m_doc, m_doc->GetMovie());
    EXPECT_NE(after, loaded);
}

TEST_F(DocTest, LaterTagVersionsAndLzmaMoviesThroughShiftSaveAndReopen)
{
    // Most colours of the first sit in DefineShape4 tags; the second is LZMA-compressed.
    for (const char* name : {"ruffle/tests/tests/swfs/visual/blend_modes/layer_alpha/test.swf",
             "ruffle/tests/tests/swfs/avm2/simplebutton_childevents_sprite/test.swf"}) {
        SCOPED_TRACE(name);
        const auto path = CorpusDir() / name;
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "corpus not found";
        ASSERT_TRUE(m_doc->OnOpenDocument(path));
        const auto loaded = Buffer();
        const SwfCompression compression = m_doc->GetMovie().Compression();
        SelectOnly(*m_doc, m_doc->GetColorTable().Map().Keys());
        m_doc->Effect("H", 60);
        m_doc->Effect("V", 40); // white too
        m_doc->UpdatePreview(false);
        const auto out = m_dir / "out.swf";
        ASSERT_TRUE(m_doc->OnSaveDocument(out));

        CRecordingSink messages;
        CTintorDoc reopened(messages, m_dialogs);
        ASSERT_TRUE(reopened.OnOpenDocument(out));
        EXPECT_EQ(reopened.GetMovie().Compression(), compression);
        const auto again = reopened.GetMovie().Buffer();
        const std::vector<std::uint8_t> saved(again.begin(), again.end());
        ExpectOnlyColourBytesDiffer(m_doc->GetMovie(), loaded, saved);
        ExpectBufferFollowsTable(*m_doc, reopened.GetMovie());
        EXPECT_NE(saved, loaded);
        EXPECT_EQ(reopened.GetMovie().Colors().Size(), m_doc->GetMovie().Colors().Size());
    }
}

TEST_F(DocTest, TintsAndFiltersOfRealMoviesShiftInPlaceAndOnlyThere)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    const struct {
        const char* path;
        ColorKind kind; // the later kind the movie must list
    } movies[] = {
        {"visual/blend_modes/alpha_no_layer/test.swf", KIND_TINT},
        {"visual/blend_modes/erase_no_layer/test.swf", KIND_TINT},
        {"visual/blend_modes/layer_alpha/test.swf", KIND_TINT},
        {"visual/blend_modes/layer_erase/test.swf", KIND_TINT},
        {"avm1/movieclip_invalid_get_bounds_6/BoundsChild8.swf", KIND_TINT},
        {"avm1/movieclip_invalid_get_bounds_7/BoundsChild8TestingThis.swf", KIND_TINT},
        {"avm2/gradient_bevel_filter/test.swf", KIND_FILTER},
        {"avm2/goto_button_nested_framescript/test.swf", KIND_FILTER},
        {"visual/filters/drop_shadow_scales_with_screen/test.swf", KIND_FILTER},
        {"avm1/textfield_background_color/test.swf", KIND_SCRIPT},
        {"avm1/movieclip_hittest_shapeflag/test.swf", KIND_SCRIPT},
    };
    for (const CollectionRule rule : {CollectionRule::Extended, CollectionRule::Classic})
        for (const auto& movie : movies) {
            SCOPED_TRACE(std::string(movie.path) + (rule == CollectionRule::Classic ? " (classic)" : ""));
            m_doc->SetCollectionRule(rule);
            ASSERT_TRUE(m_doc->OnOpenDocument(CorpusDir() / "ruffle/tests/tests/swfs" / movie.path));
            const auto keys = m_doc->GetColorTable().Map().Keys();
            const auto ofKind
                = std::count_if(keys.begin(), keys.end(), [&](ColorKey k) { return KindOf(k) == movie.kind; });
            EXPECT_EQ(ofKind != 0, rule == CollectionRule::Extended);
            const auto loaded = Buffer();
            SelectOnly(*m_doc, keys);
            // Lightness too: a hue turn alone leaves grey tints as they are.
            m_doc->Effect("H", 60);
            m_doc->Effect("V", 90);
            m_doc->UpdatePreview(false);
            const auto after = Buffer();
            // Under the classic rule the later kinds' bytes are no places, so
            // they must not have moved.
            ExpectOnlyColourBytesDiffer(m_doc->GetMovie(), loaded, after);
            ExpectBufferFollowsTable(*m_doc, m_doc->GetMovie());
            EXPECT_TRUE(m_doc->KeptColours().empty());
            bool kindChanged = false;
            m_doc->GetMovie().Colors().ForEach([&](ColorKey key, const PositionList& positions) {
                for (const auto p : positions)
                    kindChanged = kindChanged
                        || (KindOf(key) == movie.kind
                            && !std::equal(loaded.begin() + p, loaded.begin() + p + m_doc->GetMovie().PlaceSize(p),
                                after.begin() + p));
            });
            EXPECT_EQ(kindChanged, rule == CollectionRule::Extended);
        }
}

} // namespace
} // namespace tintor::test
