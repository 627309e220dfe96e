#include "cli/batch_report.h"

#include "core/file.h"
#include "core/json_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tintor::cli {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

bool WriteAll(int fd, std::string_view bytes, std::error_code& error)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? LastError() : std::make_error_code(std::errc::io_error);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

template <typename T> void NumberOrNull(CJsonWriter& json, const std::optional<T>& value)
{
    if (value)
        json.Number(*value);
    else
        json.Null();
}

} // namespace

std::string_view StatusName(MovieOutcome::Status status)
{
    switch (status) {
    case MovieOutcome::Status::Ok:
        return "ok";
    case MovieOutcome::Status::Skipped:
        return "skipped";
    case MovieOutcome::Status::Failed:
        break;
    }
    return "failed";
}

std::string ReportLine(std::string_view input, std::string_view output, const MovieOutcome& outcome)
{
    CJsonWriter json;
    json.BeginObject(CJsonWriter::Layout::Inline);
    json.Key("input");
    json.String(input);
    json.Key("output");
    json.String(output);
    json.Key("status");
    json.String(StatusName(outcome.status));
    json.Key("colours_changed");
    NumberOrNull(json, outcome.coloursChanged);
    json.Key("images_reencoded");
    NumberOrNull(json, outcome.imagesReencoded);
    json.Key("bytes_before");
    NumberOrNull(json, outcome.bytesBefore);
    json.Key("bytes_after");
    NumberOrNull(json, outcome.bytesAfter);
    json.Key("error");
    if (outcome.status == MovieOutcome::Status::Failed)
        json.String(outcome.error);
    else
        json.Null();
    json.EndObject();
    json.Finish();
    return json.Text();
}

std::unique_ptr<CBatchReport> CBatchReport::Open(const std::filesystem::path& path, std::error_code& error)
{
    if (path == "-") {
        const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            error = LastError();
            return nullptr;
        }
        return std::make_unique<CBatchReport>(fd);
    }
    const auto resolved = ResolveTarget(path, error);
    if (!resolved)
        return nullptr;
    const int fd = ::open(resolved->c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error = LastError();
        return nullptr;
    }
    auto report = std::make_unique<CBatchReport>(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = LastError();
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotARegularFile(st.st_mode);
        return nullptr;
    }
    // A line cut short by a run killed while writing it is ended, so that
    // the lines added now stand whole on lines of their own.
    char last = '\n';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n' && !WriteAll(fd, "\n", error))
        return nullptr;
    return report;
}

CBatchReport::~CBatchReport() { ::close(m_fd); }

bool CBatchReport::Add(std::string_view line) { return !m_error && WriteAll(m_fd, line, m_error); }

} // namespace tintor::cli
