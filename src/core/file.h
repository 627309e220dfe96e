#pragma once

#include "core/signal_cleanup.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tintor {

// Why a path was refused: reading a FIFO would wait for a writer, a device
// or a socket is no file to read or to replace, and a symbolic link that
// another user planted in a shared folder is not followed, as the system
// itself would not follow it there.
enum class FileErrc { Fifo = 1, Device, Socket, ForeignLink };
} // namespace tintor

template <> struct std::is_error_code_enum<tintor::FileErrc> : std::true_type {
};

namespace tintor {

std::error_code make_error_code(FileErrc error);
// The refusal for a path of this type that is not a regular file: a folder
// gives the system's own "Is a directory".
std::error_code NotARegularFile(unsigned mode);

// An open file to read from, as the movie and script readers see it.
class IInputFile {
public:
    virtual ~IInputFile() = default;
    // Reads up to dest.size() bytes; returns how many arrived (0 at the end or on error).
    virtual std::size_t Read(std::span<std::uint8_t> dest) = 0;
    // Bytes left from the current position, when the file knows it.
    virtual std::optional<std::uint64_t> Remaining() const = 0;
    // The file name without its directory.
    virtual std::string GetFileName() const = 0;
    // Why the last read stopped short, when the system said.
    virtual std::error_code Error() const { return {}; }
};

// An open file to write to.
class IOutputFile {
public:
    virtual ~IOutputFile() = default;
    // False when not every byte could be written (disk full, I/O error).
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

// A movie's title: its file name up to (not including) the first '.'.
std::string TitleFromFileName(std::string_view fileName);

// A file on disk opened for reading; closes itself.
class CDiskInputFile final : public IInputFile {
public:
    // Only a regular file is opened: a FIFO, a device, a socket or a folder
    // is refused at once, without waiting on it. Null, with the reason in
    // error, when the file is refused or cannot be opened.
    static std::unique_ptr<CDiskInputFile> Open(const std::filesystem::path& path, std::error_code& error);
    static std::unique_ptr<CDiskInputFile> Open(const std::filesystem::path& path);
    // Standard input, whatever it is (a pipe included), under the name "-".
    static std::unique_ptr<CDiskInputFile> StandardInput();
    ~CDiskInputFile() override;
    CDiskInputFile(const CDiskInputFile&) = delete;
    CDiskInputFile& operator=(const CDiskInputFile&) = delete;

    std::size_t Read(std::span<std::uint8_t> dest) override;
    std::optional<std::uint64_t> Remaining() const override;
    std::string GetFileName() const override;
    std::error_code Error() const override { return m_error; }

    struct PrivateTag {};
    CDiskInputFile(PrivateTag, int fd, std::filesystem::path path);

private:
    int m_fd;
    std::filesystem::path m_path;
    std::error_code m_error;
};

// Writes a file so that the target only ever holds a complete file: the bytes
// go to a temporary file beside the target, which Commit renames over it.
// Without a successful Commit the target is left as it was. The temporary
// file has no name while it is written, where the file system allows that,
// so that nothing is left of it whatever ends the process; elsewhere its
// name carries the process id, and a later save into the same folder
// removes those whose process is gone.
//
// The rename only ever replaces a regular file: a symbolic link is followed
// and the file it names is replaced (the link stays a link), but a link in
// a shared folder (sticky and writable by all) only when it belongs to the
// folder's owner or to the user, as the system follows links there; a
// device, FIFO, socket or folder is refused. The new file keeps the old
// one's mode (and owner, where allowed).
class CAtomicOutputFile final : public IOutputFile {
public:
    // A user's file is flushed to the disk before it replaces the old one; a
    // scratch file (the preview) only needs to be complete when it appears.
    enum class Durability { Durable, Scratch };

    // Null, with the reason in error, when the target is refused or the
    // temporary file cannot be made.
    static std::unique_ptr<CAtomicOutputFile> Create(
        const std::filesystem::path& target, Durability durability, std::error_code& error);
    static std::unique_ptr<CAtomicOutputFile> Create(
        const std::filesystem::path& target, Durability durability = Durability::Durable);
    ~CAtomicOutputFile() override;
    CAtomicOutputFile(const CAtomicOutputFile&) = delete;
    CAtomicOutputFile& operator=(const CAtomicOutputFile&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    // Flushes, closes and renames over the target. False (and the target
    // untouched) when any write failed or the rename did.
    bool Commit();
    // Why the first write, the flush or the rename failed.
    std::error_code Error() const { return m_error; }
    // The temporary file's name, beside the target; empty while it has none.
    const std::filesystem::path& TempPath() const { return m_tempPath; }

    struct PrivateTag {};
    CAtomicOutputFile(
        PrivateTag, int fd, std::filesystem::path temp, std::filesystem::path target, Durability durability);

private:
    // Gives the unnamed file a temporary name beside the target; false
    // (with the reason kept) when it cannot.
    bool NameUnnamed();

    int m_fd;
    std::error_code m_error;
    Durability m_durability;
    std::filesystem::path m_tempPath;
    std::filesystem::path m_target;
    CSignalCleanupEntry m_cleanup;
};

// Standard output as a file to write a movie to.
class CStandardOutputFile final : public IOutputFile {
public:
    bool Write(std::span<const std::uint8_t> bytes) override;
    std::error_code Error() const { return m_error; }

private:
    std::error_code m_error;
};

// A stdio stream (standard output) as a file to write to, for text that
// other stdio output may share the stream with: every write is checked, and
// Flush says whether everything really went out.
class CStdioOutputFile final : public IOutputFile {
public:
    explicit CStdioOutputFile(std::FILE* stream) : m_stream(stream) {}
    bool Write(std::span<const std::uint8_t> bytes) override;
    bool Flush();
    std::error_code Error() const { return m_error; }

private:
    std::FILE* m_stream;
    std::error_code m_error;
};

// The name of the temporary file written beside target, with "XXXXXX" for
// its random part: hidden, recognisably the target's, carrying the process
// id, and never longer than the folder allows a name to be, so that any
// target name that is legal can be written.
std::filesystem::path TempNameFor(const std::filesystem::path& target);
// The process that made a temporary file of that form, read from its name;
// nothing for any other name.
std::optional<long> OwnerOfTempName(std::string_view name);
// Removes the temporary files in folder whose process is gone and that
// belong to this user; how many were removed.
int RemoveStaleTempFiles(const std::filesystem::path& folder);

// The file a write to target really replaces: symbolic links followed to
// the end (which may not exist yet), under the rule above for links in
// shared folders. Nullopt, with the reason, when that is anything but a
// regular file or a name still free.
std::optional<std::filesystem::path> ResolveTarget(const std::filesystem::path& target, std::error_code& error);

// Whether path names this process's standard output (/dev/stdout,
// /dev/fd/1...) while that is no regular file but a pipe, a terminal or a
// socket: then it is to be written as standard output, since no file can be
// put in its place.
bool IsStandardOutput(const std::filesystem::path& path);

// Reads a whole file; nullopt (with the reason in error, when given) when it
// cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(
    const std::filesystem::path& path, std::error_code* error = nullptr);
// Writes a whole file atomically; false (with the reason in error, when
// given) on any failure, the target untouched.
bool WriteWholeFile(
    const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::error_code* error = nullptr);

} // namespace tintor
