// tintor-cli where things go wrong: inputs and targets that are not plain
// files, standard input and output, memory limits, interruptions, long
// names, scripts that say nothing, and bytes after the movie.
#include "core/file.h"
#include "support/corpus.h"
#include "testkit/movie_builder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace tintor::test {
namespace {

namespace fs = std::filesystem;

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const fs::path& path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::size_t EntriesIn(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

class CliSafetyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tintor-cli-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_tmp = m_dir / "tmp";
        m_work = m_dir / "work";
        fs::create_directory(m_tmp);
        fs::create_directory(m_work);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs tintor-cli with its temporary folder in m_tmp, standard input
    // from a file when one is named, and at most limitKiB of address space
    // when given.
    RunResult Run(const std::vector<std::string>& args, const fs::path& input = {}, long limitKiB = 0) const
    {
        std::string command = "TMPDIR=" + Quote(m_tmp.string()) + " ";
        if (limitKiB > 0)
            command = "ulimit -v " + std::to_string(limitKiB) + "; " + command;
        command += Quote(TINTOR_CLI_PATH);
        for (const auto& arg : args)
            command += " " + Quote(arg);
        command += " <" + Quote(input.empty() ? "/dev/null" : input.string());
        command += " >" + Quote((m_dir / "stdout").string()) + " 2>" + Quote((m_dir / "stderr").string());
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        RunResult result;
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(m_dir / "stdout");
        result.err = ReadText(m_dir / "stderr");
        return result;
    }

    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const auto path = m_work / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    fs::path m_dir, m_tmp, m_work;
};

TEST_F(CliSafetyTest, StandardInputAndOutputAreMoviesToo)
{
    for (const bool compressed : {false, true}) {
        const auto movie = Write("in.swf", BuildSampleMovie(compressed));
        const auto out = m_work / "out.swf";
        ASSERT_EQ(Run({"shift", movie.string(), "--all", "--value", "60", "-o", out.string()}).exitCode, 0);
        const auto piped = Run({"shift", "-", "--all", "--value", "60", "-o", "-"}, movie);
        ASSERT_EQ(piped.exitCode, 0) << piped.err;
        EXPECT_EQ(std::vector<std::uint8_t>(piped.out.begin(), piped.out.end()), ReadBytes(out));
        EXPECT_EQ(Run({"colours", "-"}, movie).out, Run({"colours", movie.string()}).out);
    }
    // Standard input is read once and has no name to go into a folder under.
    const auto movie = Write("in.swf", BuildSampleMovie());
    EXPECT_EQ(Run({"shift", "-", "-", "--all", "--out-dir", m_work.string()}, movie).exitCode, 2);
    EXPECT_EQ(Run({"shift", "-", "--all", "--out-dir", m_work.string()}, movie).exitCode, 2);
}

TEST_F(CliSafetyTest, ALyingHeaderOnStandardInputCostsNoMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
    // 108 bytes claiming 4 GiB, read where 256 MiB of address space are allowed.
    std::vector<std::uint8_t> lying = {'F', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF};
    lying.resize(108);
    const auto movie = Write("lying.swf", lying);
    const auto run = Run({"colours", "-"}, movie, 256 * 1024);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "-: ERROR: Can't read the body of file\n");
}

TEST_F(CliSafetyTest, FifosAreRefusedAtOnceAsMovieAndAsScript)
{
    const auto fifo = m_work / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto movie = Write("in.swf", BuildSampleMovie());
    const auto out = (m_work / "out.swf").string();
    for (const auto& args : std::vector<std::vector<std::string>>{{"colours", fifo.string()},
             {"shift", fifo.string(), "--all", "-o", out}, {"apply", movie.string(), "-s", fifo.string(), "-o", out}}) {
        const auto run = Run(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find(fifo.string()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(": is a FIFO (named pipe), not a file"), std::string::npos) << run.err;
        EXPECT_LT(run.seconds, 1.0) << args[0];
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliSafetyTest, TargetsAreReplacedOnlyWhenTheyAreFiles)
{
    const auto movie = Write("in.swf", BuildSampleMovie());
    const auto real = Write("real.swf", {1, 2, 3});
    fs::create_symlink("real.swf", m_work / "link.swf");
    ASSERT_EQ(::mkfifo((m_work / "fifo.swf").c_str(), 0600), 0);
    const bool device = ::mknod((m_work / "null.swf").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;

    const auto link = Run({"shift", movie.string(), "--all", "--value", "0", "-o", (m_work / "link.swf").string()});
    ASSERT_EQ(link.exitCode, 0) << link.err;
    EXPECT_TRUE(fs::is_symlink(m_work / "link.swf"));
    EXPECT_EQ(ReadBytes(real).size(), ReadBytes(movie).size());

    std::vector<std::pair<const char*, const char*>> refused = {{"fifo.swf", "is a FIFO (named pipe), not a file"}};
    if (device)
        refused.emplace_back("null.swf", "is a device, not a file");
    for (const auto& [name, reason] : refused) {
        const auto target = m_work / name;
        const auto run = Run({"shift", movie.string(), "--all", "-o", target.string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("OnSaveDocument: can't save " + target.string() + ": " + reason), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::is_regular_file(target));
    }
    // A name as long as the folder allows: the temporary name beside it fits too.
    const auto longName = m_work / std::string(static_cast<std::size_t>(::pathconf(m_work.c_str(), _PC_NAME_MAX)), 'x');
    EXPECT_EQ(Run({"shift", movie.string(), "--all", "-o", longName.string()}).exitCode, 0);
    EXPECT_EQ(ReadBytes(longName), ReadBytes(movie));
    EXPECT_EQ(EntriesIn(m_work), device ? 6u : 5u); // nothing left beside them
    EXPECT_EQ(EntriesIn(m_tmp), 0u);
}

TEST_F(CliSafetyTest, BytesAfterTheMovieSurviveARecolouring)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    // The corpus movie says it is two bytes shorter than it is.
    const auto lying = CorpusDir() / "ruffle/tests/tests/swfs/swf/swf_length_too_short_no_end/test.swf";
    const auto out = m_work / "out.swf";
    ASSERT_EQ(Run({"shift", lying.string(), "--all", "-o", out.string()}).exitCode, 0);
    EXPECT_EQ(ReadBytes(out), ReadBytes(lying));

    // A compressed movie with bytes after its stream, every colour changed.
    auto movie = BuildSampleMovie(true);
    const std::vector<std::uint8_t> trailer(323, 0xAB);
    movie.insert(movie.end(), trailer.begin(), trailer.end());
    ASSERT_EQ(Run({"shift", Write("c.swf", movie).string(), "--all", "--hue", "30", "-o", out.string()}).exitCode, 0);
    const auto saved = ReadBytes(out);
    EXPECT_TRUE(std::equal(trailer.begin(), trailer.end(), saved.end() - static_cast<std::ptrdiff_t>(trailer.size())));
}

TEST_F(CliSafetyTest, ApplySaysWhatTheScriptDidAndFailsWhenItSaysNothing)
{
    const auto movie = Write("in.swf", BuildSampleMovie());
    const auto out = m_work / "out.swf";
    const std::string lines = "[TINTOR SCRIPT]\n@fill #6ac4e9 -> #000000\n@fill #123456 -> #000000\n"
                              "@line #zzzzzz -> #000000\n@bg   #010203 -> #000000\n[END]\n";
    const auto good = Write("good.iro", {lines.begin(), lines.end()});
    const auto run = Run({"apply", movie.string(), "-s", good.string(), "-o", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(movie.string() + ": script lines used 1, skipped 1, not found 2"), std::string::npos)
        << run.err;

    fs::remove(out);
    const std::string malformed = "[TINTOR SCRIPT]\n@fill #zz -> #\n[END]\n";
    for (const auto& script : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0x7F, 'E', 'L', 'F', 0, 1, 2},
             std::vector<std::uint8_t>(malformed.begin(), malformed.end())}) {
        const auto path = Write("bad.iro", script);
        const auto failed = Run({"apply", movie.string(), "-s", path.string(), "-o", out.string()});
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_NE(failed.err.find("has no usable line"), std::string::npos) << failed.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Starts tintor-cli with its temporary folder in tmp and its output unread.
pid_t Start(const std::vector<std::string>& args, const fs::path& tmp)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(TINTOR_CLI_PATH)};
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(TINTOR_CLI_PATH, argv.data());
        ::_exit(127);
    }
    return pid;
}

bool AnyEntry(const fs::path& dir, bool hiddenOnly, bool inSubfolders)
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        if (!inSubfolders && it.depth() > 0)
            continue;
        if (inSubfolders && it.depth() == 0)
            continue;
        if (!hiddenOnly || it->path().filename().string().front() == '.')
            return true;
    }
    return false;
}

TEST_F(CliSafetyTest, AnInterruptedRunLeavesNothingBehind)
{
    // 32 MB that no compressor shrinks, saved compressed: long enough a
    // preview and an output to be caught while they are being written.
    std::vector<std::uint8_t> noise(32 << 20);
    std::uint32_t seed = 11;
    for (auto& b : noise) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0, 0};
    builder.AddTag(9, red);
    builder.AddTag(6, noise, true);
    const auto movie = Write("large.swf", builder.Build(true));
    const auto outDir = m_dir / "out";
    fs::create_directory(outDir);

    struct Case {
        int signal;
        bool whilePreviewIsWritten; // otherwise while the output is
    };
    int interrupted = 0;
    for (const Case& c : {Case{SIGTERM, true}, Case{SIGTERM, false}, Case{SIGINT, false}}) {
        const pid_t pid
            = Start({"shift", movie.string(), "--all", "--value", "50", "-o", (outDir / "out.swf").string()}, m_tmp);
        int status = 0;
        for (;;) {
            if (::waitpid(pid, &status, WNOHANG) == pid)
                break;
            const bool caught = c.whilePreviewIsWritten ? AnyEntry(m_tmp, false, true) : AnyEntry(outDir, true, false);
            if (caught) {
                ::kill(pid, c.signal);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
            ++interrupted;
        EXPECT_EQ(EntriesIn(m_tmp), 0u) << c.signal;
        EXPECT_FALSE(AnyEntry(outDir, true, false)) << c.signal;
        fs::remove(outDir / "out.swf");
    }
    EXPECT_GE(interrupted, 2);
}

} // namespace
} // namespace tintor::test
