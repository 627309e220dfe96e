// audit: what a movie shows whose colours Tintor leaves as they are.
#include "cli/audit_command.h"

#include "cli/batch.h"
#include "core/file.h"
#include "core/messages.h"

#include <cerrno>
#include <cstdio>

namespace tintor::cli {

namespace {

// Bitmap sizes a text line names before it says how many more there are.
constexpr std::size_t kSizesNamed = 8;

std::string Plural(std::uint64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string TagText(std::uint16_t code) { return std::string(TagName(code)) + " (tag " + std::to_string(code) + ")"; }

std::string CallNames(std::uint32_t calls)
{
    std::string names;
    for (std::size_t i = 0; i < std::size(kDrawingCalls); ++i)
        if (calls & (1u << i))
            names += (names.empty() ? "" : ", ") + std::string(kDrawingCalls[i]);
    return names;
}

AuditLine BitmapLine(const LeftBitmaps& left)
{
    const BitmapTally& tally = left.tally;
    AuditLine line{"bitmap", left.code, tally.count, {}, {}};
    line.text = "bitmap " + TagText(left.code) + ": " + Plural(tally.count, "bitmap", "bitmaps") + ", "
        + Plural(tally.bytes, "byte", "bytes");
    for (std::size_t i = 0; i < tally.sizes.size(); ++i) {
        const BitmapSize& size = tally.sizes[i];
        if (i < kSizesNamed)
            line.text += (i == 0 ? ", " : " ") + std::to_string(size.width) + "x" + std::to_string(size.height);
    }
    if (tally.sizes.size() > kSizesNamed)
        line.text += " and " + std::to_string(tally.sizes.size() - kSizesNamed) + " more";
    line.text += " (" + ReasonText(left) + ")";
    line.detail = [&left](CJsonWriter& json) {
        json.Key("name");
        json.String(TagName(left.code));
        json.Key("reason");
        json.String(ReasonText(left));
        json.Key("bytes");
        json.Number(left.tally.bytes);
        json.Key("sizes");
        json.BeginArray(CJsonWriter::Layout::Inline);
        for (const BitmapSize& size : left.tally.sizes) {
            json.BeginArray(CJsonWriter::Layout::Inline);
            json.Number(size.width);
            json.Number(size.height);
            json.EndArray();
        }
        json.EndArray();
    };
    return line;
}

} // namespace

std::vector<AuditLine> AuditLines(const ColourAccount& a, std::span<const LeftBitmaps> bitmaps)
{
    std::vector<AuditLine> lines;
    const auto add = [&](const char* what, std::uint64_t count, std::string text) {
        if (count != 0)
            lines.push_back(AuditLine{what, 0, count, std::string(what) + ": " + std::move(text), {}});
    };
    for (const LeftBitmaps& left : bitmaps)
        lines.push_back(BitmapLine(left));
    add("colour-matrix", a.colourMatrixFilters,
        Plural(a.colourMatrixFilters, "colour-matrix filter", "colour-matrix filters"));
    const std::uint64_t transforms = std::uint64_t{a.colourTransforms} + a.uncollectedTints;
    add("colour-transform", transforms,
        a.uncollectedTints != 0
            ? Plural(transforms, "colour transform", "colour transforms")
                + " (tints among them are collected without --classic)"
            : Plural(transforms, "colour transform that is not a tint", "colour transforms that are not tints"));
    add("tint-without-room", a.tintsWithoutRoom,
        Plural(a.tintsWithoutRoom, "tint place", "tint places") + " without room for every other colour");
    add("script-number", a.scriptNumbers,
        Plural(a.scriptNumbers, "script constant", "script constants")
            + " also used as a number, which keeps its value");
    add("script-without-room", a.scriptsWithoutRoom,
        Plural(a.scriptsWithoutRoom, "script constant", "script constants") + " without room for every other colour");
    const std::uint64_t html = std::uint64_t{a.htmlColours} + a.uncollectedHtmlColours;
    add("html-colour", html,
        a.uncollectedHtmlColours != 0
            ? Plural(html, "HTML colour", "HTML colours") + " (#rrggbb ones are collected without --classic)"
            : Plural(html, "HTML colour in another form than #rrggbb", "HTML colours in other forms than #rrggbb"));
    add("filter", a.uncollectedFilterColours,
        Plural(a.uncollectedFilterColours, "filter colour", "filter colours") + ", collected without --classic");
    for (const auto& [code, tally] : a.scripts) {
        AuditLine line{"script", code, tally.blocks, {}, {}};
        line.text = "script " + TagText(code) + ": " + Plural(tally.blocks, "action block", "action blocks")
            + " naming " + CallNames(tally.calls);
        line.detail = [code, calls = tally.calls](CJsonWriter& json) {
            json.Key("name");
            json.String(TagName(code));
            json.Key("calls");
            json.BeginArray(CJsonWriter::Layout::Inline);
            for (std::size_t i = 0; i < std::size(kDrawingCalls); ++i)
                if (calls & (1u << i))
                    json.String(kDrawingCalls[i]);
            json.EndArray();
        };
        lines.push_back(std::move(line));
    }
    add("text-box", a.textBoxes,
        Plural(a.textBoxes, "edit text", "edit texts")
            + " with a border, whose white background and black border the player draws");
    if (a.videoStreams != 0 || a.videoFrames != 0) {
        constexpr std::uint16_t kDefineVideoStream = 60;
        AuditLine line{"video", kDefineVideoStream, a.videoStreams, {}, {}};
        line.text = "video " + TagText(kDefineVideoStream) + ": " + Plural(a.videoStreams, "stream", "streams") + ", "
            + Plural(a.videoFrames, "frame", "frames");
        line.detail = [frames = a.videoFrames](CJsonWriter& json) {
            json.Key("frames");
            json.Number(frames);
        };
        lines.push_back(std::move(line));
    }
    return lines;
}

bool WriteAuditAsJson(const ColourAccount& account, std::span<const LeftBitmaps> bitmaps, IOutputFile& out)
{
    CJsonWriter json(&out);
    json.BeginObject();
    json.Key("left");
    json.BeginArray();
    for (const AuditLine& line : AuditLines(account, bitmaps)) {
        json.BeginObject(CJsonWriter::Layout::Inline);
        json.Key("what");
        json.String(line.what);
        if (line.tag != 0) {
            json.Key("tag");
            json.Number(line.tag);
        }
        json.Key("count");
        json.Number(line.count);
        if (line.detail)
            line.detail(json);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Finish();
}

CLI::App* AddAuditCommand(CLI::App& app, AuditOptions& options)
{
    auto* audit = app.add_subcommand(
        "audit", "List what a movie shows whose colours Tintor leaves as they are: bitmaps, scripts that draw, ...");
    audit->add_option("MOVIE", options.movie, "The .swf movie; - reads it from standard input")->required();
    audit->add_flag("--json", options.json, "Print JSON: {\"left\": [{\"what\": ..., \"count\": ...}, ...]}");
    AddRuleOption(*audit, options.rule);
    audit->footer("One line per kind of thing left: bitmaps that cannot be recoloured, by tag and reason (with\n"
                  "their sizes), colour-matrix filters, colour transforms that are not tints, tints without\n"
                  "room for every other colour, script constants that keep their value, HTML colours in other\n"
                  "forms than #rrggbb, action blocks whose colour or drawing calls cannot be followed (with\n"
                  "--classic: every block that names one), text boxes with a border, video. Bitmaps that\n"
                  "shift --bitmaps can recolour are not left; the text output counts them on a line of their\n"
                  "own.\n"
                  "Nothing is printed but a line saying so when Tintor lists every colour the movie shows.");
    return audit;
}

int RunAudit(const AuditOptions& options)
{
    CStderrSink messages;
    std::error_code error;
    auto file = options.movie == kStandardStream ? CDiskInputFile::StandardInput()
                                                 : CDiskInputFile::Open(options.movie, error);
    if (!file) {
        if (!error)
            error.assign(errno, std::generic_category());
        std::fprintf(stderr, "%s: cannot open file: %s\n", options.movie.c_str(), error.message().c_str());
        return kExitFailed;
    }
    CSwfFile movie(messages);
    if (!movie.Load(*file, options.rule))
        return kExitFailed;
    // The images that can be recoloured when chosen are not left as they are.
    CMovieBitmaps images;
    images.Load(movie);
    const auto left = BitmapsLeft(movie.Account(), images.Entries());
    if (options.json) {
        CStdioOutputFile out(stdout);
        if (!WriteAuditAsJson(movie.Account(), left, out) || !out.Flush()) {
            const std::error_code failure = out.Error() ? out.Error() : std::make_error_code(std::errc::io_error);
            std::fprintf(stderr, "tintor-cli audit: can't write the account: %s\n", failure.message().c_str());
            return kExitFailed;
        }
        return kExitOk;
    }
    std::string text;
    for (const AuditLine& line : AuditLines(movie.Account(), left))
        text += line.text + '\n';
    if (text.empty())
        text = "nothing left: every colour the movie shows is listed\n";
    if (const std::size_t chosen = RecolourableCount(images.Entries()))
        text += Plural(chosen, "bitmap is", "bitmaps are")
            + " recoloured only when chosen: shift --bitmaps or --bitmap ID\n";
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tintor-cli audit: can't write the account\n");
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tintor::cli
