// A signal that comes while another thread is between making a file and
// renaming it, as every job of a batch may be.
#include "core/signal_cleanup.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace tintor {
namespace {

TEST(SignalCleanupTest, WaitsForEveryThreadsHoldThenRemovesTheListedFiles)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tintor-signal-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path dir = pattern, named = dir / ".named", renamed = dir / "renamed",
                                listed = dir / ".listed";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        InstallSignalCleanup();
        // This thread lists a file and waits; another names a file it has
        // not listed and renames it a moment later, the signal in between.
        const CSignalCleanupEntry entry(listed, CSignalCleanupEntry::Kind::File);
        std::fclose(std::fopen(listed.c_str(), "w"));
        std::thread writer([&] {
            const CSignalHold hold;
            std::fclose(std::fopen(named.c_str(), "w"));
            if (::write(ready[1], "x", 1) != 1)
                ::_exit(3);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::filesystem::rename(named, renamed);
        });
        writer.join();
        // The watcher ends the process once the hold is let go; it must
        // not lose a race with an ordinary exit here.
        std::this_thread::sleep_for(std::chrono::seconds(10));
        ::_exit(0);
    }
    char x = 0;
    ASSERT_EQ(::read(ready[0], &x, 1), 1);
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_FALSE(std::filesystem::exists(named));
    EXPECT_TRUE(std::filesystem::exists(renamed));
    EXPECT_FALSE(std::filesystem::exists(listed));
    ::close(ready[0]);
    ::close(ready[1]);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace tintor
