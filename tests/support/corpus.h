#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tintor::test {

// The folder of real movies that nobody on this project wrote:
// $TINTOR_CORPUS_DIR when it is set, otherwise the folder the build was
// configured with.
std::filesystem::path CorpusDir();
bool HaveCorpus();
// The one line a test skips with when the corpus is not there.
std::string NoCorpusMessage();
// Every .swf below it, sorted, as paths relative to CorpusDir().
std::vector<std::string> CorpusMovies();
// The parameters of a suite that runs once per corpus movie: the movies, or
// only kNoCorpus when there is no corpus, so that the suite reports a skip
// instead of failing for having no test at all.
inline constexpr std::string_view kNoCorpus = "";
std::vector<std::string> CorpusParams(std::vector<std::string> movies);
// A test name made of a movie's path.
std::string CorpusTestName(std::string_view movie);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

} // namespace tintor::test

// Skips the running googletest test, naming the folder looked in, when the
// corpus is not there.
#define TINTOR_SKIP_WITHOUT_CORPUS()                                                                                   \
    do {                                                                                                               \
        if (!::tintor::test::HaveCorpus())                                                                             \
            GTEST_SKIP() << ::tintor::test::NoCorpusMessage();                                                         \
    } while (false)
