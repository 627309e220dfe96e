// Opening, saving and the preview file: what reaches the disk, and what is
// left when something fails.
#include "doc_fixture.h"

#include "core/file.h"
#include "support/corpus.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <sys/stat.h>
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
        EXPECT_EQ(m_doc->GetMovie().Title(), "in"); // the title stays the loaded one
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

TEST_F(DocTest, FailedSaveLeavesTargetAndModifiedFlag)
{
    const auto original = BuildSampleMovie();
    const auto path = Write("movie.swf", original);
    ASSERT_TRUE(m_doc->OnOpenDocument(path));
    RecolourFills(*m_doc);

    // A folder that does not exist.
    const auto nowhere = m_dir / "missing" / "movie.swf";
    EXPECT_FALSE(m_doc->OnSaveDocument(nowhere));
    EXPECT_EQ(m_messages.Messages().back(), "OnSaveDocument: can't save " + nowhere.string());
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));

    // A target that is a folder: the rename fails after the bytes were written.
    const auto folder = m_dir / "folder.swf";
    std::filesystem::create_directory(folder);
    std::filesystem::path keep = folder / "keep";
    ASSERT_TRUE(WriteWholeFile(keep, original));
    EXPECT_FALSE(m_doc->OnSaveDocument(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(ReadBytes(keep), original);

    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_doc->GetPathName(), path);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(EntriesIn(m_dir), 2u); // movie.swf and folder.swf, no half-written file

    // A read-only folder stops everyone but root.
    if (::geteuid() != 0) {
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(m_doc->OnSaveDocument(path));
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all);
        EXPECT_EQ(ReadBytes(path), original);
        EXPECT_TRUE(m_doc->IsModified());
    }
}

TEST_F(DocTest, FailedOpenHoldsNoMovieButKeepsTheHistory)
{
    const auto good = Write("good.swf", BuildSampleMovie());
    ASSERT_TRUE(m_doc->OnOpenDocument(good));
    const auto keys = m_doc->GetColorTable().Map().Keys();
    m_doc->ApplyEffects();
    m_doc->Select(keys.front(), 1);
    m_doc->PushHistory();
    m_doc->Effect("V", 0);
    m_doc->UpdatePreview(false);
    ASSERT_TRUE(m_doc->OnUpdateEditUndo());
    ASSERT_TRUE(m_doc->IsModified());

    const std::string text = "not a movie at all";
    const auto bad = Write("bad.swf", {text.begin(), text.end()});
    EXPECT_FALSE(m_doc->OnOpenDocument(bad));
    EXPECT_EQ(m_messages.Messages(), (std::vector<std::string>{"ERROR: Illegal Header - not a Shockwave Flash File"}));
    EXPECT_FALSE(m_doc->HasMovie());
    EXPECT_FALSE(m_doc->OnUpdateNeedMovie());
    EXPECT_FALSE(m_doc->IsModified()); // nothing left that could be saved
    EXPECT_EQ(m_doc->GetColorTable().Map().Size(), 0u);
    EXPECT_EQ(m_doc->GetPathName(), good);

    // The previous movie's history is still there; undoing restores its
    // table while no byte can be written.
    EXPECT_TRUE(m_doc->OnUpdateEditUndo());
    m_doc->OnEditUndo();
    EXPECT_EQ(m_doc->GetColorTable().Map().Keys().size(), keys.size());
    EXPECT_FALSE(m_doc->IsModified());

    // A movie cut short in its body fails the same way.
    auto truncated = BuildSampleMovie();
    truncated.resize(truncated.size() / 2);
    m_messages.Clear();
    EXPECT_FALSE(m_doc->OnOpenDocument(Write("short.swf", truncated)));
    EXPECT_FALSE(m_messages.Messages().empty());
    EXPECT_FALSE(m_doc->HasMovie());
}

TEST_F(DocTest, UnreadableFileLeavesTheDocumentAsItWas)
{
    const auto good = Write("good.swf", BuildSampleMovie());
    ASSERT_TRUE(m_doc->OnOpenDocument(good));
    RecolourFills(*m_doc);
    const auto missing = m_dir / "missing.swf";
    EXPECT_FALSE(m_doc->OnOpenDocument(missing));
    EXPECT_EQ(m_messages.Messages(), (std::vector<std::string>{"OnOpenDocument: can't open " + missing.string()}));
    EXPECT_TRUE(m_doc->HasMovie());
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_doc->GetPathName(), good);
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
        ASSERT_TRUE(a.OnOpenDocument(Write("m.swf", BuildSampleMovie())));
        EXPECT_TRUE(std::filesystem::exists(*pathA));
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(DocTest, TempFolderThatCannotBeMadeFailsTheOpen)
{
    const auto path = Write("m.swf", BuildSampleMovie());
    const auto nowhere = (m_dir / "no" / "such" / "dir").string();
    CScopedEnv env("TMPDIR", nowhere.c_str());
    EXPECT_FALSE(m_doc->OnOpenDocument(path));
    EXPECT_EQ(m_messages.Messages(), (std::vector<std::string>{"ERROR: can't make temp file"}));
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
        (std::vector<std::string>{"OnOpenDocument: can't write the preview file " + preview->string()}));
    EXPECT_EQ(m_doc->GetColorTable().Map().Size(), m_doc->GetMovie().Colors().Size());
    EXPECT_GT(m_doc->GetColorTable().Map().Size(), 0u);
    EXPECT_FALSE(m_doc->IsModified());

    // Applying still changes the movie and says the preview is stale.
    m_messages.Clear();
    RecolourFills(*m_doc);
    EXPECT_NE(Buffer(), bytes);
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_messages.Messages(),
        (std::vector<std::string>{"UpdatePreview: can't write the preview file " + preview->string()}));
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
