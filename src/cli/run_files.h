#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintor::cli {

// Every file one run reads and writes, gathered so that a run that would
// write over one of its own inputs, or write two of its outputs to one file,
// is refused before anything is written. Files are the same when their
// paths are (once links are followed) or when they are one file on the
// disk (the same device and inode: hard links, links followed). "-" stands
// for standard input or output, which are the same as a file they were
// sent to.
class CRunFiles {
public:
    // A movie read, and the file its result is written to (none when the
    // command writes no movie), named by the option that chose it. A movie
    // may be written over itself: it has been read whole before its result
    // replaces it.
    void AddMovie(const std::string& movie, const std::optional<std::filesystem::path>& output = std::nullopt,
        std::string_view outputRole = "-o");
    // Another file the run reads, named by the option that names it.
    void AddInput(std::string_view option, const std::filesystem::path& path);
    // Another file the run writes, named by the option that names it.
    void AddOutput(std::string_view option, const std::filesystem::path& path);

    // What clashes, as one line for the user; nullopt when nothing does.
    std::optional<std::string> Clash() const;

private:
    struct Entry {
        bool written;
        // Whose movie this is, when it is a movie or a movie's result.
        std::optional<std::size_t> movie;
        std::string role; // "the movie", "-o", "--save-script"...
        std::string name; // as the user gave it
        std::optional<std::filesystem::path> resolved;
        std::optional<std::pair<std::uint64_t, std::uint64_t>> identity;
    };

    void Add(bool written, std::optional<std::size_t> movie, std::string role, const std::filesystem::path& path);
    // The first clash among entries that are one file.
    std::optional<std::string> ClashWithin(const std::vector<std::size_t>& group) const;

    std::vector<Entry> m_entries;
    std::size_t m_movies = 0;
};

// Prints the clash, if any, as "tintor-cli COMMAND: ..." on stderr; true
// when there is none.
bool NoClash(std::string_view command, const CRunFiles& files);

} // namespace tintor::cli
