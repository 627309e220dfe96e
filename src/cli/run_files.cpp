#include "cli/run_files.h"

#include "cli/batch.h"
#include "core/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace tintor::cli {

namespace {

std::optional<std::pair<std::uint64_t, std::uint64_t>> IdentityOf(const struct stat& st)
{
    // Only files can be written over; a terminal or a pipe is no clash.
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    return std::pair<std::uint64_t, std::uint64_t>{st.st_dev, st.st_ino};
}

} // namespace

void CRunFiles::AddMovie(
    const std::string& movie, const std::optional<std::filesystem::path>& output, std::string_view outputRole)
{
    const std::size_t index = m_movies++;
    Add(false, index, "the movie", movie);
    if (output)
        Add(true, index, std::string(outputRole), *output);
}

void CRunFiles::AddInput(std::string_view option, const std::filesystem::path& path)
{
    Add(false, std::nullopt, std::string(option), path);
}

void CRunFiles::AddOutput(std::string_view option, const std::filesystem::path& path)
{
    Add(true, std::nullopt, std::string(option), path);
}

void CRunFiles::Add(bool written, std::optional<std::size_t> movie, std::string role, const std::filesystem::path& path)
{
    Entry entry{written, movie, std::move(role), path.string(), std::nullopt, std::nullopt};
    struct stat st {};
    if (path == kStandardStream) {
        if (::fstat(written ? STDOUT_FILENO : STDIN_FILENO, &st) == 0)
            entry.identity = IdentityOf(st);
        m_entries.push_back(std::move(entry));
        return;
    }
    if (::stat(path.c_str(), &st) == 0)
        entry.identity = IdentityOf(st);
    // A file yet to be made is known by its path: where a write would put
    // it, links followed as the write follows them.
    std::error_code error;
    std::filesystem::path where = path;
    if (written)
        where = ResolveTarget(path, error).value_or(path);
    error.clear();
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(where), error);
    entry.resolved = error ? std::filesystem::absolute(where).lexically_normal() : canonical;
    m_entries.push_back(std::move(entry));
}

bool CRunFiles::Same(const Entry& a, const Entry& b)
{
    return (a.identity && a.identity == b.identity) || (a.resolved && a.resolved == b.resolved);
}

std::optional<std::string> CRunFiles::Clash() const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& a = m_entries[i];
        if (!a.written)
            continue;
        for (std::size_t j = 0; j < m_entries.size(); ++j) {
            const Entry& b = m_entries[j];
            if (i == j || (b.written && j < i) || !Same(a, b))
                continue;
            if (!b.written && a.movie && a.movie == b.movie)
                continue; // a movie recoloured in place
            const std::string written = a.role + " " + a.name;
            if (b.written)
                return written + " and " + b.role + " " + b.name + " would be written to the same file";
            return written + " would be written over " + b.role + " " + b.name;
        }
    }
    return std::nullopt;
}

bool NoClash(std::string_view command, const CRunFiles& files)
{
    const auto clash = files.Clash();
    if (clash)
        std::fprintf(stderr, "tintor-cli %.*s: %s; nothing written\n", static_cast<int>(command.size()), command.data(),
            clash->c_str());
    return !clash;
}

} // namespace tintor::cli
