// palette: a movie's colours as a palette file for other tools.
#include "cli/palette_command.h"

#include "cli/batch.h"
#include "colour/palette.h"
#include "core/file.h"
#include "core/messages.h"
#include "document/tintor_doc.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tintor::cli {

namespace {

const CLI::Validator kFormatName(
    [](std::string& text) -> std::string {
        return PaletteFormatFromName(text) ? std::string() : "expected gpl, css, json or ase";
    },
    "");

// /dev/stdout on a pipe or a terminal is standard output too.
bool ToStdout(const PaletteOptions& options)
{
    return options.output.empty() || options.output == "-" || IsStandardOutput(options.output);
}

PaletteFormat ChosenFormat(const PaletteOptions& options)
{
    if (!options.format.empty())
        return *PaletteFormatFromName(options.format);
    const std::string extension = std::filesystem::path(options.output).extension().string();
    if (!ToStdout(options) && !extension.empty())
        if (const auto format = PaletteFormatFromName(std::string_view(extension).substr(1)))
            return *format;
    return PaletteFormat::Gimp;
}

} // namespace

CLI::App* AddPaletteCommand(CLI::App& app, PaletteOptions& options)
{
    auto* palette = app.add_subcommand("palette", "Write every colour of a movie as a palette for other tools");
    palette->add_option("MOVIE", options.movie, "The .swf movie; - reads it from standard input")->required();
    palette
        ->add_option("-f,--format", options.format,
            "gpl (GIMP, Inkscape, Krita), css (custom properties), json or ase (Adobe Swatch Exchange); by default "
            "the output's extension, else gpl")
        ->type_name("FORMAT")
        ->check(kFormatName);
    palette->add_option("-o,--output", options.output, "Write the palette to this file instead of stdout");
    AddRuleOption(*palette, options.rule);
    palette->footer("The colours come in the order of the window's colour list, each named by its kind and\n"
                    "colour (\"fill #ff0000\"); a kind and colour that occur twice are written once.");
    return palette;
}

int RunPalette(const PaletteOptions& options)
{
    const PaletteFormat format = ChosenFormat(options);
    if (format == PaletteFormat::Ase && ToStdout(options) && ::isatty(STDOUT_FILENO) != 0) {
        std::fprintf(stderr, "tintor-cli palette: ase is a binary format; write it to a file with -o FILE.ase\n");
        return kExitUsage;
    }
    CRunFiles files;
    files.AddMovie(options.movie);
    files.AddOutput(
        "-o", ToStdout(options) ? std::filesystem::path(kStandardStream) : std::filesystem::path(options.output));
    if (!NoClash("palette", files))
        return kExitUsage;
    CStderrSink messages;
    CPresetDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetCollectionRule(options.rule);
    doc.SetPreviewFileWritten(false);
    doc.SetAfterMovie(AfterMovie::Ignore);
    if (!OpenMovie(doc, options.movie))
        return kExitFailed;
    const std::string bytes = WritePalette(format, doc.GetMovie().Title(), doc.PaletteColors());
    if (ToStdout(options)) {
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        if (!written || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "tintor-cli palette: can't write to stdout: %s\n", std::strerror(errno));
            return kExitFailed;
        }
        return kExitOk;
    }
    std::error_code error;
    if (!WriteWholeFile(options.output, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, &error)) {
        std::fprintf(
            stderr, "tintor-cli palette: can't write %s: %s\n", options.output.c_str(), error.message().c_str());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tintor::cli
