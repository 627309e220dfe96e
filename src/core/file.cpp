#include "core/file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>

namespace tintor {

namespace {

// Symbolic links followed to a target before giving up, as the system does.
constexpr int kMaxLinkHops = 40;
// The longest file name when the folder does not say.
constexpr long kDefaultNameMax = 255;
// A temporary file's name ends ".tintor-PID-XXXXXX".
constexpr std::string_view kTempMark = ".tintor-";
constexpr std::string_view kTempRandom = "XXXXXX";
// Random names tried before giving up, as mkstemp does.
constexpr int kNameAttempts = 100;

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
        case FileErrc::ForeignLink:
            return "is a symbolic link of another user in a shared folder (sticky, writable by all); it is not "
                   "followed";
        }
        return "is not a file";
    }
};

// The system's rule for links in a shared folder (fs.protected_symlinks):
// in a folder that is sticky and writable by all, a link is followed only
// when it belongs to the folder's owner or to whoever follows it.
bool MayFollow(const std::filesystem::path& link, const struct stat& linkStat, std::error_code& error)
{
    const std::filesystem::path folder = link.has_parent_path() ? link.parent_path() : ".";
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        error = LastError();
        return false;
    }
    const bool shared = (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
    if (shared && linkStat.st_uid != st.st_uid && linkStat.st_uid != ::geteuid()) {
        error = FileErrc::ForeignLink;
        return false;
    }
    return true;
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

// Whether an unnamed file can be linked to a name later: through its entry
// under /proc, or, without /proc, by the privileged way.
bool CanBeNamed(int fd)
{
    return ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), F_OK) == 0 || ::geteuid() == 0;
}

// Letters and digits for a temporary name, as unpredictable as the system gives them.
void FillRandom(std::span<char> letters)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint8_t bytes[16] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) < static_cast<ssize_t>(letters.size())) {
        const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] ^= static_cast<std::uint8_t>((now >> (i % 8 * 8)) + i * 131);
    }
    for (std::size_t i = 0; i < letters.size(); ++i)
        letters[i] = kAlphabet[bytes[i % sizeof bytes] % (sizeof kAlphabet - 1)];
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

std::optional<std::filesystem::path> ResolveTarget(const std::filesystem::path& target, std::error_code& error)
{
    // A link into /proc may name what has no path at all ("pipe:[4242]",
    // /dev/stdout on a pipe), which the walk below would take for a new file.
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = NotARegularFile(st.st_mode);
        return std::nullopt;
    }
    // Resolved here rather than by the system because the rename that
    // replaces the target would replace the link itself.
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
        if (!MayFollow(path, st, error))
            return std::nullopt;
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
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
    const std::string suffix = std::string(kTempMark) + std::to_string(::getpid()) + "-" + std::string(kTempRandom);
    // The target's name is cut short where the dot before it and the suffix
    // would not fit beside it, never inside a UTF-8 character.
    const std::string name = target.filename().string();
    const std::size_t room = static_cast<std::size_t>(nameMax) - 1 - suffix.size();
    std::size_t keep = std::min(name.size(), room);
    while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return dir / ("." + name.substr(0, keep) + suffix);
}

std::optional<long> OwnerOfTempName(std::string_view name)
{
    // ".NAME.tintor-PID-XXXXXX", read from its end: NAME may hold anything.
    if (name.size() < 1 + kTempMark.size() + 2 + kTempRandom.size() || name.front() != '.')
        return std::nullopt;
    const std::string_view random = name.substr(name.size() - kTempRandom.size());
    if (!std::all_of(random.begin(), random.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    name.remove_suffix(kTempRandom.size());
    if (name.back() != '-')
        return std::nullopt;
    name.remove_suffix(1);
    const std::size_t mark = name.rfind(kTempMark);
    if (mark == std::string_view::npos || mark == 0)
        return std::nullopt;
    const std::string_view digits = name.substr(mark + kTempMark.size());
    long pid = 0;
    const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (failure != std::errc{} || end != digits.data() + digits.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

int RemoveStaleTempFiles(const std::filesystem::path& folder)
{
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& path = it->path();
        const auto owner = OwnerOfTempName(path.filename().string());
        if (!owner || *owner == ::getpid())
            continue;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // Only a process that no longer exists has no claim on it.
        if (::kill(static_cast<pid_t>(*owner), 0) == 0 || errno != ESRCH)
            continue;
        if (::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

std::unique_ptr<CAtomicOutputFile> CAtomicOutputFile::Create(
    const std::filesystem::path& target, Durability durability, std::error_code& error)
{
    const auto resolved = ResolveTarget(target, error);
    if (!resolved)
        return nullptr;
    const std::filesystem::path dir = resolved->has_parent_path() ? resolved->parent_path() : ".";
    RemoveStaleTempFiles(dir);
    // An unnamed file first: nothing of it outlives the process unless it is
    // given a name, which it is only when complete.
    std::filesystem::path temp;
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0 && !CanBeNamed(fd)) {
        ::close(fd);
        fd = -1;
    }
    // No signal may end the process between making a named file and listing it.
    CSignalHold hold;
    if (fd < 0) {
        std::string pattern = TempNameFor(*resolved).string();
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            error = LastError();
            return nullptr;
        }
        temp = pattern;
    }
    TakeOverMode(fd, *resolved);
    try {
        return std::make_unique<CAtomicOutputFile>(PrivateTag{}, fd, temp, *resolved, durability);
    } catch (...) {
        ::close(fd);
        if (!temp.empty())
            ::unlink(temp.c_str());
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
    : m_fd(fd), m_durability(durability), m_tempPath(std::move(temp)), m_target(std::move(target))
{
    if (!m_tempPath.empty())
        m_cleanup = CSignalCleanupEntry(m_tempPath, CSignalCleanupEntry::Kind::File);
}

CAtomicOutputFile::~CAtomicOutputFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        if (!m_tempPath.empty())
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

bool CAtomicOutputFile::NameUnnamed()
{
    // A name is linked to the complete file, then renamed over the target:
    // a link cannot replace a name that exists. The name carries the
    // process id, like any temporary file here, should the process be
    // killed between the two.
    const std::string pattern = TempNameFor(m_target).string();
    const std::string procPath = "/proc/self/fd/" + std::to_string(m_fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = pattern;
        FillRandom(std::span(name).last(kTempRandom.size()));
        int rc = ::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        if (rc != 0 && errno == ENOENT)
            rc = ::linkat(m_fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
        if (rc == 0) {
            m_tempPath = name;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    m_error = LastError();
    return false;
}

bool CAtomicOutputFile::Commit()
{
    if (m_fd < 0)
        return false;
    if (!m_error && m_durability == Durability::Durable && ::fsync(m_fd) != 0)
        m_error = LastError();
    // Between naming the file and renaming it no handled signal may strike.
    CSignalHold hold;
    if (!m_error && m_tempPath.empty())
        NameUnnamed();
    if (::close(m_fd) != 0 && !m_error)
        m_error = LastError();
    m_fd = -1;
    if (!m_error && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        m_error = LastError();
    if (m_error && !m_tempPath.empty())
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

bool IsStandardOutput(const std::filesystem::path& path)
{
    struct stat named {
    }, out{};
    return path != "-" && ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0
        && !S_ISREG(out.st_mode) && named.st_dev == out.st_dev && named.st_ino == out.st_ino;
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
