#pragma once

// tintor-cli run as a user runs it, from a shell, in a folder of its own.
#include "core/file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tintor::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A file's text; empty when it cannot be read.
inline std::string Text(const std::filesystem::path& path)
{
    const auto bytes = ReadWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// A folder made for each test and removed after it, and tintor-cli run in
// it with stdin from /dev/null.
class CCliFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tintor-cli-run-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // before: shell words put in front (a ulimit); stdoutTo: where standard
    // output goes ("| cat >FILE"), when not into the result.
    CliRun Run(
        const std::vector<std::string>& args, const std::string& before = {}, const std::string& stdoutTo = {}) const
    {
        const auto out = m_dir / ".stdout", err = m_dir / ".stderr", status = m_dir / ".status";
        // The status is the program's, not that of whatever reads its output.
        std::string command = before + "{ " + ShellQuoted(TINTOR_CLI_PATH);
        for (const auto& arg : args)
            command += " " + ShellQuoted(arg);
        command += " </dev/null 2>" + ShellQuoted(err.string()) + "; echo $? >" + ShellQuoted(status.string()) + "; } "
            + (stdoutTo.empty() ? ">" + ShellQuoted(out.string()) : stdoutTo);
        const int shell = std::system(command.c_str());
        const std::string code = Text(status);
        CliRun run{shell == 0 && !code.empty() ? std::stoi(code) : -1, Text(out), Text(err)};
        for (const auto& path : {out, err, status})
            std::filesystem::remove(path);
        return run;
    }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const auto path = m_dir / name;
        std::filesystem::create_directories(path.parent_path());
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path.string();
    }

    std::filesystem::path m_dir;
};

} // namespace tintor::test
