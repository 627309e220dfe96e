#include "support/corpus.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace tintor::test {

std::filesystem::path CorpusDir()
{
    if (const char* dir = std::getenv("TINTOR_CORPUS_DIR"); dir != nullptr && *dir != '\0')
        return dir;
    return TINTOR_CORPUS_DIR;
}

bool HaveCorpus()
{
    std::error_code error;
    return std::filesystem::is_directory(CorpusDir(), error);
}

std::string NoCorpusMessage()
{
    return "no corpus of real movies in " + CorpusDir().string() + " (set TINTOR_CORPUS_DIR to its folder)";
}

std::vector<std::string> CorpusMovies()
{
    std::vector<std::string> movies;
    if (!HaveCorpus())
        return movies;
    const auto root = CorpusDir();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            movies.push_back(std::filesystem::relative(entry.path(), root).generic_string());
    std::sort(movies.begin(), movies.end());
    return movies;
}

std::vector<std::string> CorpusParams(std::vector<std::string> movies)
{
    if (!HaveCorpus() || movies.empty())
        return {std::string(kNoCorpus)};
    return movies;
}

std::string CorpusTestName(std::string_view movie)
{
    if (movie == kNoCorpus)
        return "NoCorpus";
    std::string name;
    for (const char c : movie)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tintor::test
