#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tintor::cli {

// How one movie of a batch went, as --report records it.
struct MovieOutcome {
    enum class Status { Ok, Failed, Skipped };

    Status status = Status::Failed;
    // Colours of the movie's list that now show another colour.
    std::optional<std::size_t> coloursChanged;
    std::optional<std::size_t> imagesReencoded;
    // The lengths of the files read and written; none for a standard stream.
    std::optional<std::uintmax_t> bytesBefore;
    std::optional<std::uintmax_t> bytesAfter;
    // Why it failed: the last thing said about it.
    std::string error;
};

std::string_view StatusName(MovieOutcome::Status status);

// One JSON line of the report: the movie, where it went and how it went.
std::string ReportLine(std::string_view input, std::string_view output, const MovieOutcome& outcome);

// The --report file: one JSON line per movie added at its end, each in one
// write, so that a batch killed at any moment leaves whole lines, and a
// resumed one adds to the report of the one it resumes.
class CBatchReport {
public:
    // Null, with the reason in error, when the file is refused (anything but
    // a regular file, under the rules every output follows) or cannot be
    // opened. "-" is standard output.
    static std::unique_ptr<CBatchReport> Open(const std::filesystem::path& path, std::error_code& error);
    ~CBatchReport();
    CBatchReport(const CBatchReport&) = delete;
    CBatchReport& operator=(const CBatchReport&) = delete;

    // False, with the reason kept, when the line could not be written whole.
    bool Add(std::string_view line);
    std::error_code Error() const { return m_error; }

    explicit CBatchReport(int fd) : m_fd(fd) {}

private:
    int m_fd;
    std::error_code m_error;
};

} // namespace tintor::cli
