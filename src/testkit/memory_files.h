#pragma once

#include "core/file.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tintor {

// Bytes in memory read as a file.
class CMemoryInputFile final : public IInputFile {
public:
    CMemoryInputFile(std::vector<std::uint8_t> bytes, std::string fileName)
        : m_bytes(std::move(bytes)), m_fileName(std::move(fileName))
    {
    }

    std::size_t Read(std::span<std::uint8_t> dest) override;
    std::optional<std::uint64_t> Remaining() const override { return m_bytes.size() - m_pos; }
    std::string GetFileName() const override { return m_fileName; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::string m_fileName;
    std::size_t m_pos = 0;
};

// Collects written bytes in memory; can be told to fail after a number of bytes.
class CMemoryOutputFile final : public IOutputFile {
public:
    explicit CMemoryOutputFile(std::size_t failAfter = SIZE_MAX) : m_failAfter(failAfter) {}
    bool Write(std::span<const std::uint8_t> bytes) override;
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    // How many times Write was called.
    std::size_t Writes() const { return m_writes; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_writes = 0;
    std::size_t m_failAfter;
};

} // namespace tintor
