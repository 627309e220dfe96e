#include "core/file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tintor {

namespace {

// Symbolic links followed to a target before giving up, as the system does.
constexpr int kMaxLinkHops = 40;
// The longest file name when the folder does not say.
constexpr long kDefaultNameMax = 255;
constexpr std::string_view kTempSuffix = ".XXXXXX";

std::error_code LastError() { return {errno, std::generic_category()}; }

class CFileErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "tintor-file"; }
    std::string message(int code) const override
    {
        switch (static_cast<FileErrc>(code)) {
        case FileErrc::Fifo:
            return "is a FIFO (named pipe), not a file";
        case FileErrc::Device:
            return "is a device, not a file";
        case FileErrc::Socket:
            return "is a socket, not a file";
        }
        return "is not a file";
    }
};

// The file a write to target really replaces: symbolic links followed to
// the end, which may not exist yet. Nullopt, with the reason, when that is
// anything but a regular file or a name still free.
std::optional<std::filesystem::path> ResolveTarget(const std::filesystem::path& target, std::error_code& error)
{
    std::filesystem::path path = target;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return path; // a new file; a missing folder shows when it is made
            error = LastError();
            return std::nullopt;
        }
        if (S_ISREG(st.st_mode))
            return path;
        if (!S_ISLNK(st.st_mode)) {
            error = NotARegularFile(st.st_mode);
            return std::nullopt;
        }
        if (hops == kMaxLinkHops) {
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
            return std::nullopt;
        }
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
}

// Gives the new file the old one's owner (where allowed) and mode, or the
// mode a newly created file would get.
void TakeOverMode(int fd, const std::filesystem::path& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // Only root may give a file away; anyone else keeps it as made.
        if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0) {}
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
}

} // namespace

std::error_code make_error_code(FileErrc error)
{
    static const CFileErrorCategory category;
    return {static_cast<int>(error), category};
}

std::error_code NotARegularFile(unsigned mode)
{
    if (S_ISDIR(mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (S_ISFIFO(mode))
        return FileErrc::Fifo;
    if (S_ISSOCK(mode))
        return FileErrc::Socket;
    return FileErrc::Device;
}

std::string TitleFromFileName(std::string_view fileName)
{
    const auto dot = fileName.find('.');
    return std::string(fileName.substr(0, dot));
}

std::unique_ptr<CDiskInputFile> CDiskInputFile::Open(const std::filesystem::path& path, std::error_code& error)
{
    // The type is looked at before the open, and the open never waits: a
    // FIFO without a writer would block it for good.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = LastError();
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        error = NotARegularFile(st.st_mode);
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = LastError();
        return nullptr;
    }
    // Checked again on what was opened, which may have been swapped since.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISREG(st.st_mode) ? LastError() : NotARegularFile(st.st_mode);
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<CDiskInputFile>(PrivateTag{}, fd, path);
}

std::unique_ptr<CDiskInputFile> CDiskInputFile::Open(const std::filesystem::path& path)
{
    std::error_code ignored;
    return Open(path, ignored);
}

std::unique_ptr<CDiskInputFile> CDiskInputFile::StandardInput()
{
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    return std::make_unique<CDiskInputFile>(PrivateTag{}, fd, "-");
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
        if (n < 0)
            m_error = LastError();
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

std::filesystem::path TempNameFor(const std::filesystem::path& target)
{
    std::filesystem::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    long nameMax = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = kDefaultNameMax;
    // The target's name is cut short where the dot before it and the random
    // part would not fit beside it, never inside a UTF-8 character.
    const std::string name = target.filename().string();
    const std::size_t room = static_cast<std::size_t>(nameMax) - 1 - kTempSuffix.size();
    std::size_t keep = std::min(name.size(), room);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return dir / ("." + name.substr(0, keep) + std::string(kTempSuffix));
}

std::unique_ptr<CAtomicOutputFile> CAtomicOutputFile::Create(
    const std::filesystem::path& target, Durability durability, std::error_code& error)
{
    const auto resolved = ResolveTarget(target, error);
    if (!resolved)
        return nullptr;
    std::string pattern = TempNameFor(*resolved).string();
    // No signal may end the process between making the file and listing it.
    CSignalHold hold;
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = LastError();
        return nullptr;
    }
    TakeOverMode(fd, *resolved);
    try {
        return std::make_unique<CAtomicOutputFile>(PrivateTag{}, fd, pattern, *resolved, durability);
    } catch (...) {
        ::close(fd);
        ::unlink(pattern.c_str());
        throw;
    }
}

std::unique_ptr<CAtomicOutputFile> CAtomicOutputFile::Create(const std::filesystem::path& target, Durability durability)
{
    std::error_code ignored;
    return Create(target, durability, ignored);
}

CAtomicOutputFile::CAtomicOutputFile(
    PrivateTag, int fd, std::filesystem::path temp, std::filesystem::path target, Durability durability)
    : m_fd(fd),
      m_durability(durability),
      m_tempPath(std::move(temp)),
      m_target(std::move(target)),
      m_cleanup(m_tempPath, CSignalCleanupEntry::Kind::File)
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
    while (!m_error && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_error = LastError();
        else if (n == 0)
            m_error = std::make_error_code(std::errc::io_error);
        else
            done += static_cast<std::size_t>(n);
    }
    return !m_error;
}

bool CAtomicOutputFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (!m_error && m_durability == Durability::Durable && ::fsync(m_fd) != 0)
        m_error = LastError();
    if (::close(m_fd) != 0 && !m_error)
        m_error = LastError();
    m_fd = -1;
    if (!m_error && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        m_error = LastError();
    if (m_error)
        ::unlink(m_tempPath.c_str());
    return !m_error;
}

bool CStandardOutputFile::Write(std::span<const std::uint8_t> bytes)
{
    std::size_t done = 0;
    while (!m_error && done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_error = LastError();
        else if (n == 0)
            m_error = std::make_error_code(std::errc::io_error);
        else
            done += static_cast<std::size_t>(n);
    }
    return !m_error;
}

bool CStdioOutputFile::Write(std::span<const std::uint8_t> bytes)
{
    errno = 0;
    if (!m_error && std::fwrite(bytes.data(), 1, bytes.size(), m_stream) != bytes.size())
        m_error = errno != 0 ? LastError() : std::make_error_code(std::errc::io_error);
    return !m_error;
}

bool CStdioOutputFile::Flush()
{
    errno = 0;
    if (!m_error && std::fflush(m_stream) != 0)
        m_error = errno != 0 ? LastError() : std::make_error_code(std::errc::io_error);
    return !m_error;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::error_code* error)
{
    std::error_code openError;
    auto file = CDiskInputFile::Open(path, openError);
    if (!file) {
        if (error)
            *error = openError;
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t n = file->Read(chunk);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk)
            break;
    }
    if (file->Error()) {
        if (error)
            *error = file->Error();
        return std::nullopt;
    }
    return bytes;
}

bool WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::error_code* error)
{
    std::error_code failure;
    auto out = CAtomicOutputFile::Create(path, CAtomicOutputFile::Durability::Durable, failure);
    const bool ok = out && out->Write(bytes) && out->Commit();
    if (!ok && error)
        *error = out ? out->Error() : failure;
    return ok;
}

} // namespace tintor
