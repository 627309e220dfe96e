#include "colour/colour_script.h"
#include "testkit/recording_sink.h"

#include "core/file.h"
#include "swf/colour_key.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace tintor {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRedFill = KIND_FILL | 0x0000FF;
constexpr std::uint32_t kGreenFill = KIND_FILL | 0x00FF00;
constexpr std::uint32_t kRedLine = KIND_LINE | 0x0000FF;
constexpr std::uint32_t kWhiteBg = KIND_BG | 0xFFFFFF;
constexpr std::uint32_t kBlackText = KIND_TEXT | 0x000000;

constexpr std::string_view kNotFound = "見つからない色があるんですけど……いいですか？";

CColorTable Table(std::initializer_list<std::uint32_t> keys)
{
    CColorTable table;
    table.ResetColorTable();
    for (std::uint32_t key : keys)
        table.Map().Set(key, key);
    return table;
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

ColorScriptResult Read(std::string_view text, CColorTable& table, CRecordingSink& sink)
{
    // Exactly the text's bytes, no terminating zero: reading past them is caught.
    const std::vector<std::uint8_t> bytes = Bytes(text);
    return ReadColorScript(bytes, table, sink);
}

std::uint32_t Entry(const CColorTable& table, std::uint32_t key) { return *table.Map().Find(key); }

// --- Writing ---------------------------------------------------------------

TEST(ColorScriptWriteTest, AnUnchangedTableIsHeaderAndTrailerOnly)
{
    CColorTable table = Table({kRedFill, kWhiteBg, kBlackText});
    CRecordingSink sink;
    // Selected entries at default parameters are unchanged too.
    table.Select(kRedFill, 1, sink);
    EXPECT_EQ(WriteColorScript(table, sink), "[TINTOR SCRIPT]\n[END]\n");
    EXPECT_EQ(WriteColorScript(table, sink).size(), 22u);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorScriptWriteTest, BackgroundToBlackIsFortySevenBytes)
{
    CColorTable table = Table({kWhiteBg});
    table.Map().Set(kWhiteBg, KIND_BG | 0x000000);
    CRecordingSink sink;
    const std::string script = WriteColorScript(table, sink);
    EXPECT_EQ(script, "[TINTOR SCRIPT]\n@bg   #ffffff -> #000000\n[END]\n");
    EXPECT_EQ(script.size(), 47u);
}

TEST(ColorScriptWriteTest, DigitsReadBlueGreenRedInLowerCase)
{
    CColorTable table = Table({kRedFill});
    table.Map().Set(kRedFill, KIND_FILL | 0x00FF00);
    CRecordingSink sink;
    EXPECT_EQ(WriteColorScript(table, sink), "[TINTOR SCRIPT]\n@fill #0000ff -> #00ff00\n[END]\n");

    table.Map().Set(kRedFill, KIND_FILL | 0xABCDEF);
    EXPECT_EQ(WriteColorScript(table, sink), "[TINTOR SCRIPT]\n@fill #0000ff -> #abcdef\n[END]\n");
}

TEST(ColorScriptWriteTest, LinesComeInTableOrderEachInItsKindsForm)
{
    // Buckets: green fill 1; black text and red line 2 (text newer, so first);
    // white background 6; red fill 16.
    CColorTable table = Table({kRedFill, kRedLine, kWhiteBg, kBlackText, kGreenFill});
    table.Map().ForEach([](std::uint32_t key, std::uint32_t& value) { value = (key & kKindMask) | 0x123456; });
    CRecordingSink sink;
    EXPECT_EQ(WriteColorScript(table, sink),
        "[TINTOR SCRIPT]\n"
        "@fill #00ff00 -> #123456\n"
        "@text #000000 -> #123456\n"
        "@line #0000ff -> #123456\n"
        "@bg   #ffffff -> #123456\n"
        "@fill #0000ff -> #123456\n"
        "[END]\n");
}

TEST(ColorScriptWriteTest, ASelectedEntryIsSavedWithItsPendingEffect)
{
    CColorTable table = Table({kRedFill});
    CRecordingSink sink;
    table.Select(kRedFill, 1, sink);
    table.Effect("H", 0, sink);
    EXPECT_EQ(WriteColorScript(table, sink), "[TINTOR SCRIPT]\n@fill #0000ff -> #f8fe00\n[END]\n");
    // Saving does not touch the table.
    EXPECT_EQ(Entry(table, kRedFill), kRedFill | kSelectedBit);
}

// --- Reading ---------------------------------------------------------------

TEST(ColorScriptReadTest, ASavedScriptRestoresListedEntriesAndClearsTheirSelection)
{
    CColorTable saved = Table({kRedFill, kWhiteBg, kBlackText});
    saved.Map().Set(kRedFill, KIND_FILL | 0x00FF00);
    saved.Map().Set(kWhiteBg, KIND_BG | 0x102030);
    CRecordingSink sink;
    const std::string script = WriteColorScript(saved, sink);

    CColorTable table = Table({kRedFill, kWhiteBg, kBlackText});
    table.Select(kRedFill, 1, sink);
    table.Select(kBlackText, 1, sink);
    table.Map().Set(kBlackText, table.Map().Find(kBlackText)[0] | 0x000011);
    const ColorScriptResult result = Read(script, table, sink);
    EXPECT_EQ(result.applied, 2);
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0x00FF00u);
    EXPECT_EQ(Entry(table, kWhiteBg), KIND_BG | 0x102030u);
    EXPECT_EQ(Entry(table, kBlackText), kBlackText | kSelectedBit | 0x11u);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorScriptReadTest, ColoursNotInTheTableWarnOnceAndChangeNothing)
{
    CColorTable table = Table({kRedFill});
    CRecordingSink sink;
    const ColorScriptResult result
        = Read("[TINTOR SCRIPT]\n@line #0000ff -> #00ff00\n@fill #00ff00 -> #0000ff\n[END]\n", table, sink);
    EXPECT_EQ(result.notFound, 2);
    EXPECT_EQ(result.applied, 0);
    EXPECT_EQ(Entry(table, kRedFill), kRedFill);
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0], kNotFound);
}

TEST(ColorScriptReadTest, TextWithoutMarksReadsNothingQuietly)
{
    CColorTable table = Table({kRedFill});
    CRecordingSink sink;
    for (std::string_view text : {"", "[TINTOR SCRIPT]\n[END]\n", "fill #0000ff -> #00ff00\n"}) {
        const ColorScriptResult result = Read(text, table, sink);
        EXPECT_EQ(result.applied + result.notFound + result.malformed, 0) << text;
    }
    EXPECT_EQ(Entry(table, kRedFill), kRedFill);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorScriptReadTest, AnUnknownKindLetterStopsTheParse)
{
    CColorTable table = Table({kRedFill, kGreenFill});
    CRecordingSink sink;
    const ColorScriptResult result = Read("@fill #0000ff -> #111111\n@xtra #00ff00 -> #222222\n"
                                          "@fill #00ff00 -> #333333\n",
        table, sink);
    EXPECT_EQ(result.applied, 1);
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0x111111u);
    EXPECT_EQ(Entry(table, kGreenFill), kGreenFill);
}

TEST(ColorScriptReadTest, OnlyTheLetterAfterTheMarkCounts)
{
    CColorTable table = Table({kWhiteBg, kBlackText, kRedLine});
    CRecordingSink sink;
    const ColorScriptResult result = Read("@background #FFFFFF->#000001\n@txt #000000 -> #000002\n", table, sink);
    EXPECT_EQ(result.applied, 2);
    EXPECT_EQ(Entry(table, kWhiteBg), KIND_BG | 1u);
    EXPECT_EQ(Entry(table, kBlackText), KIND_TEXT | 2u);
}

TEST(ColorScriptReadTest, LaterKindsAreToldByTheirWholeWordAndWriteBack)
{
    constexpr std::uint32_t kRedFilter = KIND_FILTER | 0x0000FF;
    constexpr std::uint32_t kRedTint = KIND_TINT | 0x0000FF;
    constexpr std::uint32_t kRedText = KIND_TEXT | 0x0000FF;
    constexpr std::uint32_t kRedScript = KIND_SCRIPT | 0x0000FF;
    // Each line names the red of one kind; the word after '@' decides which.
    const struct {
        const char* tag;
        std::uint32_t key;
    } cases[] = {
        {"@filter", kRedFilter},
        {"@filt", kRedFilter},
        {"@fil", kRedFill},
        {"@fill", kRedFill},
        {"@f", kRedFill},
        {"@tint", kRedTint},
        {"@ti", kRedTint},
        {"@text", kRedText},
        {"@tx", kRedText},
        {"@script", kRedScript},
    };
    for (const auto& c : cases) {
        CColorTable table = Table({kRedFill, kRedFilter, kRedTint, kRedText, kRedScript});
        CRecordingSink sink;
        // Padded as written, so the jump past the mark does not take the '#'.
        const std::string tag(c.tag);
        const std::string line
            = tag + std::string(std::max<std::size_t>(1, 6 - std::min<std::size_t>(6, tag.size())), ' ');
        EXPECT_EQ(Read(line + "#0000ff -> #00ff00\n", table, sink).applied, 1) << c.tag;
        for (const std::uint32_t key : {kRedFill, kRedFilter, kRedTint, kRedText, kRedScript})
            EXPECT_EQ(Entry(table, key), key == c.key ? ((key & kKindMask) | 0x00FF00u) : key)
                << c.tag << " " << std::hex << key;
    }
    // Written with a blank after the longer tags, and read back as written.
    CColorTable table = Table({kRedFilter, kRedTint, kRedScript});
    table.Map().ForEach([](std::uint32_t key, std::uint32_t& value) { value = (key & kKindMask) | 0x00FF00; });
    CRecordingSink sink;
    const std::string script = WriteColorScript(table, sink);
    EXPECT_NE(script.find("@filter #0000ff -> #00ff00\n"), std::string::npos) << script;
    EXPECT_NE(script.find("@tint #0000ff -> #00ff00\n"), std::string::npos) << script;
    EXPECT_NE(script.find("@script #0000ff -> #00ff00\n"), std::string::npos) << script;
    CColorTable again = Table({kRedFilter, kRedTint, kRedScript});
    EXPECT_EQ(Read(script, again, sink).applied, 3);
    EXPECT_EQ(Entry(again, kRedTint), KIND_TINT | 0x00FF00u);
    EXPECT_EQ(Entry(again, kRedScript), KIND_SCRIPT | 0x00FF00u);
    // Any other word after "@s" still ends the reading, as it always did.
    CColorTable older = Table({kRedFill, kRedScript});
    EXPECT_EQ(Read("@scr   #0000ff -> #00ff00\n@fill  #0000ff -> #00ff00\n", older, sink).applied, 0);
}

TEST(ColorScriptReadTest, TheCursorJumpsFiveCharactersPastTheMark)
{
    // "@l #0" is jumped over whole, so the colour is the next '#' number.
    CColorTable table = Table({kRedLine});
    CRecordingSink sink;
    EXPECT_EQ(Read("@l #0 #0000ff -> #3\n", table, sink).applied, 1);
    EXPECT_EQ(Entry(table, kRedLine), KIND_LINE | 3u);
}

TEST(ColorScriptReadTest, NumbersReadLikeFormattedHexInput)
{
    CColorTable table = Table({kRedFill, kGreenFill, kWhiteBg});
    CRecordingSink sink;
    CColorTable text = Table({kBlackText});
    EXPECT_EQ(Read("@text #0x -> #0x5", text, sink).applied, 1); // "0x" alone is the number 0
    EXPECT_EQ(Entry(text, kBlackText), KIND_TEXT | 5u);
    const ColorScriptResult result = Read("@fill #0000FF -> #  0XaBcDeF\n"
                                          "@fill #+0x00ff00 -> #\t00000000000000000000000000000000001\n"
                                          "@bg   #FfFfFf -> #-0\n",
        table, sink);
    EXPECT_EQ(result.applied, 3);
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0xABCDEFu);
    EXPECT_EQ(Entry(table, kGreenFill), KIND_FILL | 1u);
    EXPECT_EQ(Entry(table, kWhiteBg), KIND_BG | 0u);
}

TEST(ColorScriptReadTest, ALineMissingANumberBorrowsTheNextLinesMark)
{
    CColorTable table = Table({kRedFill, kGreenFill});
    CRecordingSink sink;
    const ColorScriptResult result = Read("@fill #0000ff\n@fill #00ff00 -> #111111\n", table, sink);
    // The second line's first number became the replacement; its own change is lost.
    EXPECT_EQ(result.applied, 1);
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0x00FF00u);
    EXPECT_EQ(Entry(table, kGreenFill), kGreenFill);
}

TEST(ColorScriptReadTest, TheFirstZeroByteEndsTheText)
{
    CColorTable table = Table({kRedFill, kGreenFill});
    CRecordingSink sink;
    std::vector<std::uint8_t> bytes = Bytes("@fill #0000ff -> #111111\n");
    bytes.push_back(0);
    const std::vector<std::uint8_t> rest = Bytes("@fill #00ff00 -> #222222\n");
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    EXPECT_EQ(ReadColorScript(bytes, table, sink).applied, 1);
    EXPECT_EQ(Entry(table, kGreenFill), kGreenFill);

    // A zero inside a number ends it there.
    bytes = Bytes("@fill #00ff00 -> #2");
    bytes.push_back(0);
    bytes.push_back('2');
    EXPECT_EQ(ReadColorScript(bytes, table, sink).applied, 1);
    EXPECT_EQ(Entry(table, kGreenFill), KIND_FILL | 2u);
}

TEST(ColorScriptReadTest, OnlyTextWithAChangeLineOrAnEmptyScriptsHeaderIsAScript)
{
    const auto with = [](std::string text, std::initializer_list<std::uint8_t> tail) {
        text.append(tail.begin(), tail.end());
        return text;
    };
    const struct {
        const char* name;
        std::string bytes;
        bool script;
    } rows[] = {
        {"saved script", "[TINTOR SCRIPT]\n@bg   #ffffff -> #000000\n[END]\n", true},
        {"saved without changes", "[TINTOR SCRIPT]\n[END]\n", true},
        {"edited: byte order mark and CR LF", "\xEF\xBB\xBF[TINTOR SCRIPT]\r\n[END]\r\n", true},
        {"a change line without header", "@fill #0000ff -> #00ff00", true},
        {"zeros padding a script", with("@fill #0000ff -> #00ff00\n", {0, 0, 0}), true},
        {"empty", "", false},
        {"prose", "Dear diary, today nothing happened.\n", false},
        {"header and only broken lines", "[TINTOR SCRIPT]\n@fill #zz -> #\n[END]\n", false},
        {"plain movie", with("FWS", {10, 0x2C, 1, 0, 0, 0x78, 0}), false},
        {"binary with a change line by chance", with("@fill #0000ff -> #00ff00", {0x1B, 0x02}), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsColorScript(Bytes(row.bytes)), row.script);
    }
}

TEST(ColorScriptReadTest, MalformedNumbersSkipTheirLineAndTheParseGoesOn)
{
    CColorTable table = Table({kRedFill, kGreenFill, kWhiteBg});
    CRecordingSink sink;
    const ColorScriptResult result = Read("@fill #0000ff -> #zz\n"
                                          "@fill #00ff00 -> #1000000\n"
                                          "@bg   #ffffff -> #-1\n"
                                          "@fill # -> #000001\n"
                                          "@bg   #ffffff -> #abcdef\n",
        table, sink);
    EXPECT_EQ(result.malformed, 4);
    EXPECT_EQ(result.applied, 1);
    EXPECT_EQ(Entry(table, kRedFill), kRedFill);
    EXPECT_EQ(Entry(table, kGreenFill), kGreenFill);
    EXPECT_EQ(Entry(table, kWhiteBg), KIND_BG | 0xABCDEFu);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorScriptReadTest, TextEndingInsideALineStaysInsideTheBuffer)
{
    CColorTable table = Table({kRedFill});
    CRecordingSink sink;
    for (std::string_view text : {"@", "@f", "@fil", "@fill #", "@fill #0000ff -> #", "@fill #0000ff -> #0x",
             "@fill #0000ff -> # ", "@fill #0000ff -> #-", "@fill #0000ff -> #00000", "#@#@"}) {
        Read(text, table, sink);
    }
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0u);
}

TEST(ColorScriptReadTest, ArbitraryBytesNeitherCrashNorSetForeignBits)
{
    constexpr std::string_view alphabet = "@#bfiltx0123456789abcdefABCDEF -+\n\0";
    std::mt19937 random(1234);
    CColorTable table = Table({kRedFill, kGreenFill, kWhiteBg, kBlackText, kRedLine, KIND_TINT, KIND_FILTER | 0xFF});
    CRecordingSink sink;
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(random() % 64);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(alphabet[random() % alphabet.size()]);
        ReadColorScript(bytes, table, sink);
    }
    table.Map().ForEach([](std::uint32_t key, std::uint32_t value) {
        EXPECT_EQ(value & 0xFF000000u, key & kKindMask) << std::hex << key << " " << value;
    });
    EXPECT_LE(sink.Messages().size(), 2000u);
}

// --- Files -------------------------------------------------------------------

class CFakeDialogs final : public IFileDialogs {
public:
    std::optional<fs::path> answer;
    std::string initialName, filter, extension;
    int openCalls = 0, saveCalls = 0;

    std::optional<fs::path> AskOpenFile(std::string_view name, std::string_view f, std::string_view ext) override
    {
        ++openCalls;
        Remember(name, f, ext);
        return answer;
    }
    std::optional<fs::path> AskSaveFile(std::string_view name, std::string_view f, std::string_view ext) override
    {
        ++saveCalls;
        Remember(name, f, ext);
        return answer;
    }

private:
    void Remember(std::string_view name, std::string_view f, std::string_view ext)
    {
        initialName = name;
        filter = f;
        extension = ext;
    }
};

class ColorScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "colour_script_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> FilesInDir() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string ReadText(const fs::path& path)
    {
        const auto bytes = ReadWholeFile(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<unreadable>");
    }
    static void WriteText(const fs::path& path, std::string_view text)
    {
        ASSERT_TRUE(WriteWholeFile(path, Bytes(text)));
    }

    fs::path m_dir;
    CFakeDialogs m_dialogs;
    CRecordingSink m_sink;
};

TEST_F(ColorScriptFileTest, SaveAsksWithTheScriptFilterAndWritesTheExactBytes)
{
    CColorTable table = Table({kWhiteBg});
    table.Map().Set(kWhiteBg, KIND_BG);
    WriteText(m_dir / "movie.iro", std::string(500, 'x')); // an older, longer script is replaced whole
    m_dialogs.answer = m_dir / "movie.iro";
    EXPECT_TRUE(savetable(table, "movie", m_dialogs, m_sink));
    EXPECT_EQ(m_dialogs.initialName, "movie");
    EXPECT_EQ(m_dialogs.filter, "Color table (*.iro)|*.iro|All files (*.*)|*.*||");
    EXPECT_EQ(m_dialogs.extension, "iro");
    EXPECT_EQ(ReadText(m_dir / "movie.iro"), "[TINTOR SCRIPT]\n@bg   #ffffff -> #000000\n[END]\n");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"movie.iro"});
    EXPECT_TRUE(m_sink.Messages().empty());
}

TEST_F(ColorScriptFileTest, CancelledDialogsDoNothing)
{
    CColorTable table = Table({kRedFill});
    EXPECT_FALSE(savetable(table, "t", m_dialogs, m_sink));
    EXPECT_FALSE(loadtable(table, "t", m_dialogs, m_sink));
    EXPECT_EQ(m_dialogs.saveCalls, 1);
    EXPECT_EQ(m_dialogs.openCalls, 1);
    EXPECT_TRUE(m_sink.Messages().empty());
    EXPECT_TRUE(FilesInDir().empty());
}

TEST_F(ColorScriptFileTest, SaveThatCannotWriteReportsAndLeavesNothingBehind)
{
    CColorTable table = Table({kRedFill});
    table.Map().Set(kRedFill, KIND_FILL);
    m_dialogs.answer = m_dir / "missing" / "x.iro";
    EXPECT_FALSE(savetable(table, "t", m_dialogs, m_sink));
    // A folder where the script should go cannot be replaced by it.
    fs::create_directory(m_dir / "taken.iro");
    WriteText(m_dir / "taken.iro" / "keep", "keep");
    m_dialogs.answer = m_dir / "taken.iro";
    EXPECT_FALSE(savetable(table, "t", m_dialogs, m_sink));
    EXPECT_EQ(m_sink.Messages(),
        (std::vector<std::string>{
            "savetable: file open error! " + (m_dir / "missing" / "x.iro").string() + ": No such file or directory",
            "savetable: file open error! " + (m_dir / "taken.iro").string() + ": Is a directory"}));
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"taken.iro"});
    EXPECT_EQ(ReadText(m_dir / "taken.iro" / "keep"), "keep");
}

TEST_F(ColorScriptFileTest, LoadAppliesTheChosenFile)
{
    WriteText(m_dir / "s.iro", "[TINTOR SCRIPT]\n@fill #0000ff -> #00ff00\n@line #0000ff -> #123456\n[END]\n");
    CColorTable table = Table({kRedFill});
    m_dialogs.answer = m_dir / "s.iro";
    EXPECT_TRUE(loadtable(table, "movie", m_dialogs, m_sink));
    EXPECT_EQ(m_dialogs.initialName, "movie");
    EXPECT_EQ(m_dialogs.filter, std::string(kColorScriptFilter));
    EXPECT_EQ(m_dialogs.extension, "iro");
    EXPECT_EQ(Entry(table, kRedFill), KIND_FILL | 0x00FF00u);
    EXPECT_EQ(m_sink.Messages(), std::vector<std::string>{std::string(kNotFound)});
}

TEST_F(ColorScriptFileTest, SavedScriptLoadsBackIntoAFreshTable)
{
    CColorTable table = Table({kRedFill, kGreenFill, kWhiteBg, kBlackText, kRedLine});
    table.Select(kRedFill, 1, m_sink);
    table.Select(kBlackText, 1, m_sink);
    table.Effect("V", 150, m_sink);
    m_dialogs.answer = m_dir / "round.iro";
    ASSERT_TRUE(savetable(table, "t", m_dialogs, m_sink));
    CColorTable loaded = Table({kRedFill, kGreenFill, kWhiteBg, kBlackText, kRedLine});
    ASSERT_TRUE(loadtable(loaded, "t", m_dialogs, m_sink));
    table.Map().ForEach([&](std::uint32_t key, std::uint32_t) {
        EXPECT_EQ(Entry(loaded, key), table.GetColor(key, 1, m_sink)) << std::hex << key;
    });
    EXPECT_NE(Entry(loaded, kBlackText), kBlackText);
    EXPECT_TRUE(m_sink.Messages().empty());
}

TEST_F(ColorScriptFileTest, LoadOfAFileThatCannotBeOpenedSaysWhy)
{
    CColorTable table = Table({kRedFill});
    ASSERT_EQ(::mkfifo((m_dir / "fifo.iro").c_str(), 0600), 0);
    const std::pair<fs::path, const char*> cases[] = {
        {m_dir / "none.iro", "No such file or directory"},
        {m_dir, "Is a directory"},
        // Refused at once: reading it would wait for a writer for good.
        {m_dir / "fifo.iro", "is a FIFO (named pipe), not a file"},
    };
    for (const auto& [path, reason] : cases) {
        m_sink.Clear();
        m_dialogs.answer = path;
        EXPECT_FALSE(loadtable(table, "t", m_dialogs, m_sink));
        EXPECT_EQ(m_sink.Messages(),
            std::vector<std::string>{"loadtable: file open error! " + path.string() + ": " + reason});
    }
    EXPECT_EQ(Entry(table, kRedFill), kRedFill);
}

} // namespace
} // namespace tintor
