#include "cli/colours_command.h"

#include "cli/batch.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/messages.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

namespace tintor::cli {

const char* KindName(ColorKey key)
{
    // Every name of the table is a literal, so its view ends in a zero.
    const ColorKindInfo* kind = InfoOf(key);
    return kind != nullptr ? kind->name.data() : "fill";
}

std::string RgbText(ColorKey key) { return HexColor(key); }

std::string ColoursAsText(const CSwfFile& movie)
{
    std::string out;
    movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        out += KindName(key);
        out += ' ';
        out += RgbText(key);
        out += ' ';
        out += std::to_string(positions.size());
        out += '\n';
    });
    return out;
}

nlohmann::json ColoursAsJson(const CSwfFile& movie, const std::string& fileName)
{
    nlohmann::json colours = nlohmann::json::array();
    movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        char keyText[11];
        std::snprintf(keyText, sizeof keyText, "0x%08x", key);
        colours.push_back({{"key", keyText}, {"kind", KindName(key)}, {"rgb", RgbText(key)}, {"positions", positions}});
    });
    return {{"file", fileName}, {"compressed", movie.IsCompressed()}, {"version", movie.Version()},
        {"fileLength", movie.FileSize()}, {"colours", std::move(colours)}};
}

CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options)
{
    auto* colours
        = app.add_subcommand("colours", "List every colour of a movie with the number of places it is stored");
    colours->add_option("MOVIE", options.movie, "The .swf movie; - reads it from standard input")->required();
    colours->add_flag("--json", options.json, "Print JSON with the byte positions of every colour");
    AddRuleOption(*colours, options.rule);
    return colours;
}

namespace {

// Names the movie in front of each of its messages.
class CMovieMessages final : public IMessageSink {
public:
    explicit CMovieMessages(std::string movie) : m_movie(std::move(movie)) {}
    void Show(std::string_view text) override
    {
        std::fprintf(stderr, "%s: %.*s\n", m_movie.c_str(), static_cast<int>(text.size()), text.data());
    }

private:
    std::string m_movie;
};

} // namespace

int RunColours(const ColoursOptions& options)
{
    CMovieMessages messages(options.movie);
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
    if (options.json)
        std::cout << ColoursAsJson(movie, options.movie).dump(2) << '\n';
    else
        std::cout << ColoursAsText(movie);
    return kExitOk;
}

} // namespace tintor::cli
