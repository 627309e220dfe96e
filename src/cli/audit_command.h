#pragma once

#include "swf/swf_file.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tintor::cli {

// One thing a movie shows whose colours Tintor leaves as they are, as the
// text and the JSON of `audit` give it.
struct AuditLine {
    std::string what;      // "bitmap", "colour-matrix", "colour-transform", ...
    std::uint16_t tag = 0; // the tag code, for bitmaps, scripts and video
    std::uint64_t count = 0;
    std::string text;      // the line of the text output
    nlohmann::json detail; // further members of the JSON entry
};

// The account, one line per kind of thing left, in a fixed order.
std::vector<AuditLine> AuditLines(const ColourAccount& account);
nlohmann::json AuditAsJson(const ColourAccount& account);

struct AuditOptions {
    std::string movie;
    bool json = false;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddAuditCommand(CLI::App& app, AuditOptions& options);
// Prints what one movie shows whose colours stay as they are; the exit code.
int RunAudit(const AuditOptions& options);

} // namespace tintor::cli
