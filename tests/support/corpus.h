#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tintor::test {

// The folder of real movies that nobody on this project wrote.
std::filesystem::path CorpusDir();
// Every .swf below it, sorted, as paths relative to CorpusDir().
std::vector<std::string> CorpusMovies();
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);

} // namespace tintor::test
