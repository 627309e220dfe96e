#include "core/file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tintor {
namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tintor-file-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        ::chmod(m_dir.c_str(), 0700);
        std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path m_dir;
};

TEST(TitleTest, FirstDotEndsTheTitle)
{
    EXPECT_EQ(TitleFromFileName("intro.final.swf"), "intro");
    EXPECT_EQ(TitleFromFileName("noextension"), "noextension");
    EXPECT_EQ(TitleFromFileName(".swf"), "");
}

TEST_F(FileTest, AtomicWriteReplacesTheTargetOnlyOnCommit)
{
    const auto target = m_dir / "movie.swf";
    ASSERT_TRUE(WriteWholeFile(target, std::vector<std::uint8_t>{1, 2, 3}));
    {
        auto out = CAtomicOutputFile::Create(target);
        ASSERT_TRUE(out);
        const std::uint8_t half[] = {9};
        ASSERT_TRUE(out->Write(half));
        // Dropped without Commit: the old content stays and no stray file is left.
    }
    EXPECT_EQ(*ReadWholeFile(target), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()), 1);
}

TEST_F(FileTest, WriteIntoAnUnwritableFolderFailsAndLeavesTheTarget)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const auto target = m_dir / "movie.swf";
    ASSERT_TRUE(WriteWholeFile(target, std::vector<std::uint8_t>{1}));
    ::chmod(m_dir.c_str(), 0500);
    EXPECT_FALSE(WriteWholeFile(target, std::vector<std::uint8_t>{2}));
    EXPECT_EQ(*ReadWholeFile(target), std::vector<std::uint8_t>{1});
}

TEST_F(FileTest, WriteToAMissingFolderFailsAndSaysWhy)
{
    std::error_code error;
    EXPECT_FALSE(WriteWholeFile(m_dir / "nowhere" / "movie.swf", std::vector<std::uint8_t>{1}, &error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST_F(FileTest, OnlyRegularFilesAreReadOrReplacedAndNothingWaits)
{
    // A FIFO, a folder and a character device like /dev/null (only root may make one).
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(m_dir / "folder");
    std::vector<std::pair<std::string, std::error_code>> specials
        = {{"fifo", FileErrc::Fifo}, {"folder", std::make_error_code(std::errc::is_a_directory)}};
    if (::mknod((m_dir / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0)
        specials.emplace_back("null", FileErrc::Device);
    for (const auto& [name, reason] : specials) {
        // Reached through a link, too, which stays a link.
        std::filesystem::create_symlink(name, m_dir / (name + ".link"));
        for (const auto& path : {m_dir / name, m_dir / (name + ".link")}) {
            std::error_code error;
            EXPECT_EQ(CDiskInputFile::Open(path, error), nullptr) << path;
            EXPECT_EQ(error, reason) << path;
            EXPECT_FALSE(WriteWholeFile(path, std::vector<std::uint8_t>{1}, &error)) << path;
            EXPECT_EQ(error, reason) << path;
        }
        EXPECT_FALSE(std::filesystem::is_regular_file(m_dir / name));
        EXPECT_TRUE(std::filesystem::is_symlink(m_dir / (name + ".link")));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()),
        static_cast<std::ptrdiff_t>(2 * specials.size()));
}

TEST_F(FileTest, ALinkedTargetIsReplacedThroughItsLinksAndKeepsItsMode)
{
    const auto real = m_dir / "real.swf";
    ASSERT_TRUE(WriteWholeFile(real, std::vector<std::uint8_t>{1}));
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    std::filesystem::create_directory(m_dir / "links");
    std::filesystem::create_symlink("../real.swf", m_dir / "links" / "relative.swf");
    std::filesystem::create_symlink(m_dir / "links" / "relative.swf", m_dir / "chained.swf");
    std::filesystem::create_symlink("new.swf", m_dir / "dangling.swf");
    ASSERT_TRUE(WriteWholeFile(m_dir / "chained.swf", std::vector<std::uint8_t>{2}));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "chained.swf"));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "links" / "relative.swf"));
    EXPECT_EQ(*ReadWholeFile(real), std::vector<std::uint8_t>{2});
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A link to a name not yet taken makes the file it names.
    ASSERT_TRUE(WriteWholeFile(m_dir / "dangling.swf", std::vector<std::uint8_t>{3}));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "dangling.swf"));
    EXPECT_EQ(*ReadWholeFile(m_dir / "new.swf"), std::vector<std::uint8_t>{3});
    // Links in a circle are the system's error.
    std::filesystem::create_symlink("loop.swf", m_dir / "loop.swf");
    std::error_code error;
    EXPECT_FALSE(WriteWholeFile(m_dir / "loop.swf", std::vector<std::uint8_t>{4}, &error));
    EXPECT_EQ(error, std::errc::too_many_symbolic_link_levels);
}

TEST_F(FileTest, AnyLegalNameCanBeWritten)
{
    const auto nameMax = static_cast<std::size_t>(::pathconf(m_dir.c_str(), _PC_NAME_MAX));
    ASSERT_GT(nameMax, 8u);
    std::string colours; // three bytes each in UTF-8: no cut may split one
    while (colours.size() + 3 <= nameMax)
        colours += "\xE8\x89\xB2";
    for (const std::string& name : {std::string(nameMax, 'a'), colours}) {
        const auto target = m_dir / name;
        const std::string temp = TempNameFor(target).filename().string();
        const std::string suffix = ".tintor-" + std::to_string(::getpid()) + "-XXXXXX";
        EXPECT_LE(temp.size(), nameMax);
        ASSERT_TRUE(temp.ends_with(suffix)) << temp;
        EXPECT_EQ(OwnerOfTempName(temp), ::getpid());
        const std::string kept = temp.substr(1, temp.size() - 1 - suffix.size());
        EXPECT_EQ(name.rfind(kept, 0), 0u);
        EXPECT_NE(static_cast<unsigned char>(name[kept.size()]) & 0xC0, 0x80);
        ASSERT_TRUE(WriteWholeFile(target, std::vector<std::uint8_t>{5}));
        EXPECT_EQ(*ReadWholeFile(target), std::vector<std::uint8_t>{5});
        std::filesystem::remove(target);
    }
}

std::size_t Entries(const std::filesystem::path& dir)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

TEST_F(FileTest, TheTemporaryFileHasNoNameWhileWrittenOrOneThatCarriesTheProcess)
{
    const auto target = m_dir / "movie.swf";
    auto out = CAtomicOutputFile::Create(target);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write(std::vector<std::uint8_t>(1000, 7)));
    // Unnamed where the file system allows it; a kill now leaves nothing.
    if (out->TempPath().empty())
        EXPECT_EQ(Entries(m_dir), 0u);
    else
        EXPECT_EQ(OwnerOfTempName(out->TempPath().filename().string()), ::getpid());
    ASSERT_TRUE(out->Commit());
    EXPECT_EQ(ReadWholeFile(target)->size(), 1000u);
    EXPECT_EQ(Entries(m_dir), 1u);
}

TEST_F(FileTest, TemporaryFilesOfProcessesThatAreGoneAreRemovedByTheNextSave)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string ours = std::to_string(::getppid()); // alive, and not this process
    const struct {
        std::string name;
        bool removed;
    } files[] = {
        {".a.swf.tintor-" + std::to_string(gone) + "-Ab3xYz", true},
        {".other.iro.tintor-" + std::to_string(gone) + "-000000", true},
        {".a.swf.tintor-" + ours + "-Ab3xYz", false},
        {".a.swf.tintor-" + std::to_string(::getpid()) + "-Ab3xYz", false},
        {".a.swf.tintor-" + std::to_string(gone) + "-Ab3x", false},  // not the form
        {"a.swf.tintor-" + std::to_string(gone) + "-Ab3xYz", false}, // not hidden
        {".a.swf.tintor--Ab3xYz", false},
        {".a.swf.XXXXXX", false},
    };
    for (const auto& file : files)
        ASSERT_TRUE(WriteWholeFile(m_dir / file.name, std::vector<std::uint8_t>{1}));
    std::filesystem::create_directory(m_dir / (".d.tintor-" + std::to_string(gone) + "-Ab3xYz"));
    ASSERT_TRUE(WriteWholeFile(m_dir / "a.swf", std::vector<std::uint8_t>{2}));
    for (const auto& file : files)
        EXPECT_EQ(std::filesystem::exists(m_dir / file.name), !file.removed) << file.name;
    // The two stale files went; the folder and the target came.
    EXPECT_EQ(Entries(m_dir), std::size(files));
}

TEST_F(FileTest, LinksInASharedFolderAreFollowedOnlyAsTheSystemFollowsThem)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give links to other users";
    constexpr uid_t kOther = 54321, kThird = 54322;
    const struct {
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    } cases[] = {
        {01777, 0, kOther, false},                               // planted by another user in /tmp
        {01777, 0, 0, true},                                     // the user's own link
        {01777, kOther, kOther, true},                           // the folder's owner's link
        {01777, kThird, kOther, false}, {0777, 0, kOther, true}, // not sticky
        {01755, 0, kOther, true},                                // not writable by all
    };
    const auto real = m_dir / "real.swf";
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(real, std::vector<std::uint8_t>{1}));
        const auto shared = m_dir / "shared";
        std::filesystem::create_directory(shared);
        const auto link = shared / "out.swf";
        std::filesystem::create_symlink(real, link);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        std::error_code error;
        EXPECT_EQ(WriteWholeFile(link, std::vector<std::uint8_t>{2}, &error), c.followed) << c.folderMode;
        EXPECT_EQ(*ReadWholeFile(real), std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.followed ? 2 : 1)});
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        if (!c.followed) {
            EXPECT_EQ(error, FileErrc::ForeignLink);
        }
        std::filesystem::remove_all(shared);
    }
}

} // namespace
} // namespace tintor
