#include "core/file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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

TEST_F(FileTest, WriteToAMissingFolderFails)
{
    EXPECT_FALSE(WriteWholeFile(m_dir / "nowhere" / "movie.swf", std::vector<std::uint8_t>{1}));
}

} // namespace
} // namespace tintor
