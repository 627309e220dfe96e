#include "core/file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintor {

std::string TitleFromFileName(std::string_view fileName)
{
    const auto dot = fileName.find('.');
    return std::string(fileName.substr(0, dot));
}

std::unique_ptr<CDiskInputFile> CDiskInputFile::Open(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<CDiskInputFile>(PrivateTag{}, fd, path);
}

CDiskInputFile::CDiskInputFile(PrivateTag, int fd, std::filesystem::path path) : m_fd(fd), m_path(std::move(path)) {}

CDiskInputFile::~CDiskInputFile() { ::close(m_fd); }

std::size_t CDiskInputFile::Read(std::span<std::uint8_t> dest)
{
    std::size_t total = 0;
    while (total < dest.size()) {
        const ssize_t n = ::read(m_fd, dest.data() + total, dest.size() - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

std::optional<std::uint64_t> CDiskInputFile::Remaining() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0 || pos > st.st_size)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size - pos);
}

std::string CDiskInputFile::GetFileName() const { return m_path.filename().string(); }

std::unique_ptr<CAtomicOutputFile> CAtomicOutputFile::Create(const std::filesystem::path& target, Durability durability)
{
    std::filesystem::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    std::string hidden = ".";
    hidden += target.filename().string();
    hidden += ".XXXXXX";
    std::string pattern = (dir / hidden).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    // Keep the permissions a newly created file would get, or the old file's.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return std::make_unique<CAtomicOutputFile>(PrivateTag{}, fd, pattern, target, durability);
}

CAtomicOutputFile::CAtomicOutputFile(
    PrivateTag, int fd, std::filesystem::path temp, std::filesystem::path target, Durability durability)
    : m_fd(fd), m_durability(durability), m_tempPath(std::move(temp)), m_target(std::move(target))
{
}

CAtomicOutputFile::~CAtomicOutputFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_tempPath.c_str());
    }
}

bool CAtomicOutputFile::Write(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (!m_failed && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            m_failed = true;
        else
            done += static_cast<std::size_t>(n);
    }
    return !m_failed;
}

bool CAtomicOutputFile::Commit()
{
    if (m_fd < 0)
        return false;
    bool ok = !m_failed && (m_durability == Durability::Scratch || ::fsync(m_fd) == 0);
    ok = (::close(m_fd) == 0) && ok;
    m_fd = -1;
    if (ok)
        ok = ::rename(m_tempPath.c_str(), m_target.c_str()) == 0;
    if (!ok)
        ::unlink(m_tempPath.c_str());
    return ok;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path)
{
    auto file = CDiskInputFile::Open(path);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t n = file->Read(chunk);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk)
            break;
    }
    return bytes;
}

bool WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    auto out = CAtomicOutputFile::Create(path);
    return out && out->Write(bytes) && out->Commit();
}

} // namespace tintor
