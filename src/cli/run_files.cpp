#include "cli/run_files.h"

#include "cli/batch.h"
#include "core/file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>

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

std::optional<std::string> CRunFiles::ClashWithin(const std::vector<std::size_t>& group) const
{
    for (const std::size_t i : group) {
        const Entry& a = m_entries[i];
        if (!a.written)
            continue;
        for (const std::size_t j : group) {
            const Entry& b = m_entries[j];
            if (i == j || (b.written && j < i))
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

std::optional<std::string> CRunFiles::Clash() const
{
    // Grouped first: a run over thousands of movies compares each file
    // only with the few that share its path or its identity.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::size_t>> byIdentity;
    std::map<std::filesystem::path, std::vector<std::size_t>> byPath;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].identity)
            byIdentity[*m_entries[i].identity].push_back(i);
        if (m_entries[i].resolved)
            byPath[*m_entries[i].resolved].push_back(i);
    }
    for (const auto& [identity, group] : byIdentity)
        if (auto clash = ClashWithin(group))
            return clash;
    for (const auto& [path, group] : byPath)
        if (auto clash = ClashWithin(group))
            return clash;
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
