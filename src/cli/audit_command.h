#pragma once

#include "core/json_writer.h"
#include "document/bitmaps_left.h"
#include "swf/swf_file.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tintor::cli {

// One thing a movie shows whose colours Tintor leaves as they are, as the
// text and the JSON of `audit` give it.
struct AuditLine {
    std::string what;      // "bitmap", "colour-matrix", "colour-transform", ...
    std::uint16_t tag = 0; // the tag code, for bitmaps, scripts and video
    std::uint64_t count = 0;
    std::string text; // the line of the text output
    // Writes the further members of the JSON entry, when there are any; it
    // refers to the account and the bitmaps the line was made from.
    std::function<void(CJsonWriter&)> detail;
};

// The account, one line per kind of thing left, in a fixed order; the
// bitmaps are those that cannot be recoloured (BitmapsLeft), not every one
// the account counted.
std::vector<AuditLine> AuditLines(const ColourAccount& account, std::span<const LeftBitmaps> bitmaps);
// The account as the documented JSON object, written to out as it is
// produced; false when out could not take it all.
bool WriteAuditAsJson(const ColourAccount& account, std::span<const LeftBitmaps> bitmaps, IOutputFile& out);

struct AuditOptions {
    std::string movie;
    bool json = false;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddAuditCommand(CLI::App& app, AuditOptions& options);
// Prints what one movie shows whose colours stay as they are; the exit code.
int RunAudit(const AuditOptions& options);

} // namespace tintor::cli
