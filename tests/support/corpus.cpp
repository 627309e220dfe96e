#include "support/corpus.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tintor::test {

std::filesystem::path CorpusDir() { return TINTOR_CORPUS_DIR; }

std::vector<std::string> CorpusMovies()
{
    std::vector<std::string> movies;
    const auto root = CorpusDir();
    if (!std::filesystem::exists(root))
        return movies;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".swf")
            movies.push_back(std::filesystem::relative(entry.path(), root).generic_string());
    std::sort(movies.begin(), movies.end());
    return movies;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tintor::test
