// Opening, saving and the preview file: what reaches the disk, and what is
// left when something fails.
#include "doc_fixture.h"

#include "core/file.h"
#include "support/corpus.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace tintor::test {
namespace {

// Sets an environment variable for one scope.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value, 1);
    }
    ~CScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::size_t EntriesIn(const std::filesystem::path& dir)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

// Open, select every fill colour and darken it, apply.
void RecolourFills(CTintorDoc& doc)
{
    doc.ApplyEffects();
    for (const auto key : doc.GetColorTable().Map().Keys())
        doc.Select(key, (key & KIND_FILL) != 0 ? 1 : 0);
    doc.PushHistory();
    doc.Effect("V", 40);
    doc.UpdatePreview(false);
    doc.PushHistory();
}

TEST_F(DocTest, SaveAndReopenKeepsColoursAndCompression)
{
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const auto original = BuildSampleMovie(compressed);
        ASSERT_TRUE(m_doc->OnOpenDocument(Write("in.swf", original)));
        RecolourFills(*m_doc);
        ASSERT_TRUE(m_doc->IsModified());
        const auto recoloured = Buffer();

        const auto out = m_dir / "out.swf";
        ASSERT_TRUE(m_doc->OnSaveDocument(out));
        EXPECT_FALSE(m_doc->IsModified());
        EXPECT_EQ(m_doc->GetPathName(), out);
        // Colour tables and palettes are offered under the name saved last.
        EXPECT_EQ(m_doc->GetMovie().Title(), "out");
        const auto saved = ReadBytes(out);
        ASSERT_GE(saved.size(), 8u);
        EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 8, original.begin())); // header as loaded
        if (!compressed) {
            EXPECT_EQ(saved, recoloured);
        }

        CRecordingSink messages;
        CTintorDoc reopened(messages, m_dialogs);
        ASSERT_TRUE(reopened.OnOpenDocument(out));
        EXPECT_EQ(reopened.GetMovie().IsCompressed(), compressed);
        const auto again = reopened.GetMovie().Buffer();
        EXPECT_TRUE(std::equal(again.begin(), again.end(), recoloured.begin(), recoloured.end()));
        EXPECT_EQ(reopened.GetMovie().Colors().Size(), m_doc->GetMovie().Colors().Size());
        EXPECT_TRUE(messages.Messages().empty());
        EXPECT_EQ(EntriesIn(m_dir), 2u); // no temporary file left beside the target
        std::filesystem::remove(out);
    }
}

TEST_F(DocTest, SaveOverTheOpenFileReplacesIt)
{
    const auto path = Write("movie.swf", BuildSampleMovie());
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    RecolourFills(*m_doc);
    ASSERT_TRUE(m_doc->OnSaveDocument(path));
    EXPECT_EQ(ReadBytes(path), Buffer());
}

TEST_F(DocTest, FailedSaveSaysWhyAndLeavesTargetAndModifiedFlag)
{
    const auto original = BuildSampleMovie();
    const auto path = Write("movie.swf", original);
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    RecolourFills(*m_doc);

    const auto folder = m_dir / "folder.swf";
    std::filesystem::create_directory(folder);
    const std::filesystem::path keep = folder / "keep";
    ASSERT_TRUE(WriteWholeFile(keep, original));
    struct Case {
        std::filesystem::path target;
        const char* reason;
    };
    std::vector<Case> cases = {
        {m_dir / "missing" / "movie.swf", "No such file or directory"},
        {folder, "Is a directory"},
        {m_dir / std::string(256, 'n'), "File name too long"},
    };
    if (::geteuid() != 0)
        cases.push_back({m_dir / "readonly" / "movie.swf", "Permission denied"});
    std::filesystem::create_directory(m_dir / "readonly");
    std::filesystem::permissions(
        m_dir / "readonly", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    for (const Case& c : cases) {
        m_messages.Clear();
        EXPECT_FALSE(m_doc->OnSaveDocument(c.target));
        EXPECT_EQ(m_messages.Messages(),
            std::vector<std::string>{"OnSaveDocument: can't save " + c.target.string() + ": " + c.reason});
    }
    std::filesystem::permissions(m_dir / "readonly", std::filesystem::perms::owner_all);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "missing"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadBytes(keep), original);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_doc->GetPathName(), path);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(EntriesIn(m_dir), 3u); // movie.swf, folder.swf and readonly: no half-written file
}

// Everything of the document a user can see or use.
struct DocState {
    std::vector<std::uint8_t> buffer;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> table;
    std::vector<int> parameters;
    int undo = 0, redo = 0;
    bool modified = false;
    std::filesystem::path pathName;
    std::string title;
    std::vector<std::uint8_t> preview;

    bool operator==(const DocState&) const = default;
};

DocState StateOf(CTintorDoc& doc)
{
    DocState state;
    const auto buffer = doc.GetMovie().Buffer();
    state.buffer.assign(buffer.begin(), buffer.end());
    const CColorTable& table = doc.GetColorTable();
    table.Map().ForEach([&](std::uint32_t key, std::uint32_t value) { state.table.emplace_back(key, value); });
    state.parameters = {table.Hue(), table.Saturation(), table.Value(), table.Unify()};
    state.undo = doc.GetHistory().GetUndoCount();
    state.redo = doc.GetHistory().GetRedoCount();
    state.modified = doc.IsModified();
    state.pathName = doc.GetPathName();
    state.title = doc.GetMovie().Title();
    state.preview = ReadBytes(*doc.GetTempFilePath());
    return state;
}

// A file whose reading runs out of memory.
class CExhaustingFile final : public IInputFile {
public:
    std::size_t Read(std::span<std::uint8_t>) override { throw std::bad_alloc(); }
    std::optional<std::uint64_t> Remaining() const override { return std::nullopt; }
    std::string GetFileName() const override { return "huge.swf"; }
};

TEST_F(DocTest, FailedOpenLeavesThePreviousDocumentAsItWasAndWorking)
{
    const auto good = Write("good.swf", BuildSampleMovie());
    ASSERT_TRUE(m_doc->OnOpenDocument(good));
    RecolourFills(*m_doc);
    m_doc->Effect("H", 30); // a pending effect, too
    const DocState before = StateOf(*m_doc);
    ASSERT_TRUE(before.modified && before.undo > 0);

    const std::string text = "not a movie at all";
    auto truncated = BuildSampleMovie();
    truncated.resize(truncated.size() / 2);
    const auto fifo = m_dir / "fifo.swf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {Write("text.swf", {text.begin(), text.end()}), "ERROR: Illegal Header - not a Shockwave Flash File"},
        {Write("short.swf", truncated), "ERROR: Can't read the body of file"},
        {m_dir / "missing.swf", "No such file or directory"},
        {m_dir, "Is a directory"},
        // Refused at once, where opening it would wait for a writer for good.
        {fifo, "is a FIFO (named pipe), not a file"},
    };
    for (const auto& [path, reason] : cases) {
        m_messages.Clear();
        m_views.m_calls.clear();
        EXPECT_FALSE(m_doc->OnOpenDocument(path));
        EXPECT_EQ(m_messages.Messages(),
            std::vector<std::string>{"OnOpenDocument: can't open " + path.string() + ": " + reason});
        EXPECT_TRUE(StateOf(*m_doc) == before) << path;
        EXPECT_TRUE(m_views.m_calls.empty());
    }
    m_messages.Clear();
    CExhaustingFile exhausting;
    EXPECT_FALSE(m_doc->OnOpenDocument(exhausting, "huge.swf"));
    EXPECT_EQ(m_messages.Messages(),
        std::vector<std::string>{"OnOpenDocument: can't open huge.swf: ERROR: not enough memory for the movie"});
    EXPECT_TRUE(StateOf(*m_doc) == before);

    // Still the working movie: undo rewrites its bytes, and it saves.
    m_doc->OnEditUndo();
    EXPECT_NE(Buffer(), before.buffer);
    EXPECT_TRUE(m_doc->OnSaveDocument(good));
    EXPECT_EQ(ReadBytes(good), Buffer());
}

TEST_F(DocTest, PreviewLivesInAPrivateFolderRemovedWithTheDocument)
{
    std::filesystem::path folder;
    {
        CRecordingSink messages;
        CTintorDoc a(messages, m_dialogs), b(messages, m_dialogs);
        const auto pathA = a.GetTempFilePath();
        const auto pathB = b.GetTempFilePath();
        ASSERT_TRUE(pathA && pathB);
        EXPECT_EQ(pathA->filename(), "__tmpswf.swf");
        EXPECT_NE(pathA->parent_path(), pathB->parent_path()); // two instances never share it
        EXPECT_EQ(a.GetTempFilePath(), pathA);                 // made once
        struct stat st {};
        ASSERT_EQ(::stat(pathA->parent_path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        folder = pathA->parent_path();
        EXPECT_EQ(folder.filename().string().rfind("tintor-" + std::to_string(::getpid()) + "-", 0), 0u);
        ASSERT_TRUE(a.OnOpenDocument(Write("m.swf", BuildSampleMovie())));
        EXPECT_TRUE(std::filesystem::exists(*pathA));
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(DocTest, StaleTempFoldersOfProcessesThatHaveGoneAreRemoved)
{
    const auto root = m_dir / "tmp";
    std::filesystem::create_directory(root);
    CScopedEnv env("TMPDIR", root.c_str());
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const auto folder
        = [&](pid_t pid, const char* rest) { return root / ("tintor-" + std::to_string(pid) + "-" + rest); };
    for (const auto& dir : {folder(gone, "abcdef"), folder(::getpid(), "ghijkl"), folder(1, "mnopqr"),
             root / "tintor-doc-test-abcdef", folder(gone, "toolong")})
        std::filesystem::create_directory(dir);
    ASSERT_TRUE(WriteWholeFile(folder(gone, "abcdef") / "__tmpswf.swf", BuildSampleMovie()));
    ASSERT_TRUE(WriteWholeFile(folder(gone, "uvwxyz"), BuildSampleMovie())); // a file, not a folder

    EXPECT_EQ(CTintorDoc::RemoveStaleTempFolders(), 1);
    EXPECT_FALSE(std::filesystem::exists(folder(gone, "abcdef")));
    EXPECT_EQ(EntriesIn(root), 5u); // this process's, a running one's and names not made by the program
}

TEST_F(DocTest, TempFolderThatCannotBeMadeFailsTheOpen)
{
    const auto path = Write("m.swf", BuildSampleMovie());
    const auto nowhere = (m_dir / "no" / "such" / "dir").string();
    CScopedEnv env("TMPDIR", nowhere.c_str());
    EXPECT_FALSE(m_doc->OnOpenDocument(path));
    EXPECT_EQ(m_messages.Messages(),
        (std::vector<std::string>{"ERROR: can't make temp file in " + nowhere + ": No such file or directory"}));
    EXPECT_FALSE(m_doc->HasMovie());
    EXPECT_FALSE(m_doc->GetTempFilePath());
}

TEST_F(DocTest, UnwritablePreviewStillListsTheColours)
{
    const auto preview = m_doc->GetTempFilePath();
    ASSERT_TRUE(preview);
    std::filesystem::create_directory(*preview); // nothing can be renamed onto it
    const auto bytes = BuildSampleMovie();
    ASSERT_TRUE(m_doc->OnOpenDocument(Write("m.swf", bytes)));
    EXPECT_EQ(m_messages.Messages(),
        (std::vector<std::string>{
            "OnOpenDocument: can't write the preview file " + preview->string() + ": Is a directory"}));
    EXPECT_EQ(m_doc->GetColorTable().Map().Size(), m_doc->GetMovie().Colors().Size());
    EXPECT_GT(m_doc->GetColorTable().Map().Size(), 0u);
    EXPECT_FALSE(m_doc->IsModified());

    // Applying still changes the movie and says the preview is stale.
    m_messages.Clear();
    RecolourFills(*m_doc);
    EXPECT_NE(Buffer(), bytes);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_messages.Messages(),
        (std::vector<std::string>{
            "UpdatePreview: can't write the preview file " + preview->string() + ": Is a directory"}));
}

TEST_F(DocTest, ModifiedFlagFollowsTheMovieBytesOnly)
{
    const auto path = Write("m.swf", BuildSampleMovie());
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    EXPECT_FALSE(m_doc->IsModified());
    const auto keys = m_doc->GetColorTable().Map().Keys();
    m_doc->ApplyEffects();
    m_doc->Select(keys.front(), 1);
    m_doc->PushHistory();
    m_doc->Effect("H", 0);
    m_dialogs.m_save = m_dir / "t.iro";
    m_doc->OnTableSave();
    EXPECT_FALSE(m_doc->IsModified());
    m_doc->UpdatePreview(false);
    EXPECT_TRUE(m_doc->IsModified());
    ASSERT_TRUE(m_doc->OnSaveDocument(path));
    EXPECT_FALSE(m_doc->IsModified());
    m_doc->OnEditUndo();
    EXPECT_TRUE(m_doc->IsModified());
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    EXPECT_FALSE(m_doc->IsModified());
}

} // namespace
} // namespace tintor::test
