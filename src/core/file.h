#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

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
    static std::unique_ptr<CDiskInputFile> Open(const std::filesystem::path& path);
    ~CDiskInputFile() override;
    CDiskInputFile(const CDiskInputFile&) = delete;
    CDiskInputFile& operator=(const CDiskInputFile&) = delete;

    std::size_t Read(std::span<std::uint8_t> dest) override;
    std::optional<std::uint64_t> Remaining() const override;
    std::string GetFileName() const override;

    struct PrivateTag {};
    CDiskInputFile(PrivateTag, int fd, std::filesystem::path path);

private:
    int m_fd;
    std::filesystem::path m_path;
};

// Writes a file so that the target only ever holds a complete file: the bytes
// go to a temporary file beside the target, which Commit renames over it.
// Without a successful Commit the temporary file is removed and the target
// is left as it was.
class CAtomicOutputFile final : public IOutputFile {
public:
    // A user's file is flushed to the disk before it replaces the old one; a
    // scratch file (the preview) only needs to be complete when it appears.
    enum class Durability { Durable, Scratch };

    static std::unique_ptr<CAtomicOutputFile> Create(
        const std::filesystem::path& target, Durability durability = Durability::Durable);
    ~CAtomicOutputFile() override;
    CAtomicOutputFile(const CAtomicOutputFile&) = delete;
    CAtomicOutputFile& operator=(const CAtomicOutputFile&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    // Flushes, closes and renames over the target. False (and the target
    // untouched) when any write failed or the rename did.
    bool Commit();

    struct PrivateTag {};
    CAtomicOutputFile(
        PrivateTag, int fd, std::filesystem::path temp, std::filesystem::path target, Durability durability);

private:
    int m_fd;
    bool m_failed = false;
    Durability m_durability;
    std::filesystem::path m_tempPath;
    std::filesystem::path m_target;
};

// Reads a whole file; nullopt when it cannot be opened or read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);
// Writes a whole file atomically; false on any failure, the target untouched.
bool WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace tintor
