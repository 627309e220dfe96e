#pragma once

#include "colour/colour_table.h"
#include "core/dialogs.h"
#include "core/messages.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tintor {

inline constexpr std::string_view kColorScriptFilter = "Color table (*.iro)|*.iro|All files (*.*)|*.*||";
inline constexpr std::string_view kColorScriptExtension = "iro";

// What reading a script did to the table.
struct ColorScriptResult {
    int applied = 0;   // lines whose colour was found and replaced
    int notFound = 0;  // lines whose kind and colour the table does not have
    int malformed = 0; // lines skipped for a missing or oversized number
    int locked = 0;    // lines whose colour is there but locked, so left as it is
};

// Which colours a script must leave as they are (the window's locks), by key.
using ScriptPassesBy = std::function<bool(std::uint32_t key)>;

// The colour script of a table: header, one line per changed colour in table
// order, trailer; LF line ends.
std::string WriteColorScript(const CColorTable& table, IMessageSink& messages);
// Applies a script's lines to the table, but for colours passBy names; warns
// once about colours not found.
ColorScriptResult ReadColorScript(
    std::span<const std::uint8_t> bytes, CColorTable& table, IMessageSink& messages, const ScriptPassesBy& passBy = {});
// Whether the bytes are a colour script: text with at least one line that
// names a kind and two colours, or the header of a script without changes.
// A movie, a picture or other binary data is not.
bool IsColorScript(std::span<const std::uint8_t> bytes);

// Asks for a file and saves the table's script to it (atomically).
bool savetable(const CColorTable& table, std::string_view initialName, IFileDialogs& dialogs, IMessageSink& messages);
// Asks for a file and loads its script into the table; what its lines did
// goes to result, when given. A file that is not a script is refused with a
// message naming it. When some colours are not found the user is asked
// whether to keep the rest; false, with the table as it was, when declined.
// Colours passBy names keep theirs.
bool loadtable(CColorTable& table, std::string_view initialName, IFileDialogs& dialogs, IMessageSink& messages,
    ColorScriptResult* result = nullptr, const ScriptPassesBy& passBy = {});

} // namespace tintor
