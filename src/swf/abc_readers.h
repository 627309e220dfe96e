#pragma once

#include "swf/abc_cursor.h"
#include "swf/abc_records.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace tintor {

// The major version of the ABC files whose layout the readers know: every
// Flash Player and AIR release wrote 46.
inline constexpr std::uint16_t kAbcMajorVersion = 46;

// Reads the ABC file in abc, which stands at movie position pos. Reading
// stops at the first fault, which the file records with its position.
AbcFile ReadAbcFile(std::span<const std::uint8_t> abc, std::uint32_t pos);

// One reader per record, each reading at the cursor; a fault fails the
// cursor and the record comes back as far as it was read.
void ReadCpoolInfo(CAbcCursor& cursor, AbcConstantPool& pool);
std::string_view ReadStringInfo(CAbcCursor& cursor);
AbcNamespace ReadNamespaceInfo(CAbcCursor& cursor);
std::vector<std::uint32_t> ReadNsSetInfo(CAbcCursor& cursor);
AbcMultiname ReadMultiname(CAbcCursor& cursor);
AbcMethodInfo ReadMethodInfo(CAbcCursor& cursor);
AbcMetadataInfo ReadMetadataInfo(CAbcCursor& cursor);
AbcTrait ReadTraitsInfo(CAbcCursor& cursor);
AbcInstanceInfo ReadInstanceInfo(CAbcCursor& cursor);
AbcClassInfo ReadClassInfo(CAbcCursor& cursor);
AbcScriptInfo ReadScriptInfo(CAbcCursor& cursor);
AbcException ReadExceptionInfo(CAbcCursor& cursor);
AbcMethodBody ReadMethodBody(CAbcCursor& cursor);

} // namespace tintor
