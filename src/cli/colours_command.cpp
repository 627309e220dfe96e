#include "cli/colours_command.h"

#include "cli/batch.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/messages.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <string_view>

namespace tintor::cli {

const char* KindName(ColorKey key)
{
    // Every name of the table is a literal, so its view ends in a zero.
    const ColorKindInfo* kind = InfoOf(key);
    return kind != nullptr ? kind->name.data() : "fill";
}

std::string RgbText(ColorKey key) { return HexColor(key); }

bool PrintColoursAsText(const CSwfFile& movie, std::FILE* out, std::span<const std::uint32_t> families)
{
    // A movie may have millions of colours: each line is put together in
    // place rather than through a formatted print, and the text goes out in
    // pieces rather than being held whole.
    static constexpr char kHex[] = "0123456789abcdef";
    constexpr std::size_t kLineMax = 64;
    constexpr std::string_view kFamily = " family ";
    std::size_t index = 0;
    std::vector<char> text(1 << 16);
    char* p = text.data();
    bool ok = true;
    const auto flush = [&] {
        const auto n = static_cast<std::size_t>(p - text.data());
        ok = ok && std::fwrite(text.data(), 1, n, out) == n;
        p = text.data();
    };
    movie.Colors().ForEach([&](ColorKey key, Positions positions) {
        if (static_cast<std::size_t>(text.data() + text.size() - p) < kLineMax)
            flush();
        const std::string_view kind = KindName(key);
        p = std::copy(kind.begin(), kind.end(), p);
        *p++ = ' ';
        *p++ = '#';
        for (int shift = 0; shift < 24; shift += 8) {
            *p++ = kHex[(key >> (shift + 4)) & 0xF];
            *p++ = kHex[(key >> shift) & 0xF];
        }
        *p++ = ' ';
        p = std::to_chars(p, p + 20, positions.size()).ptr;
        if (index < families.size()) {
            p = std::copy(kFamily.begin(), kFamily.end(), p);
            p = std::to_chars(p, p + 10, families[index]).ptr;
        }
        ++index;
        *p++ = '\n';
    });
    flush();
    return ok && std::fflush(out) == 0;
}

nlohmann::json ColoursAsJson(
    const CSwfFile& movie, const std::string& fileName, std::span<const std::uint32_t> families)
{
    nlohmann::json colours = nlohmann::json::array();
    std::size_t index = 0;
    movie.Colors().ForEach([&](ColorKey key, Positions positions) {
        char keyText[11];
        std::snprintf(keyText, sizeof keyText, "0x%08x", key);
        colours.push_back({{"key", keyText}, {"kind", KindName(key)}, {"rgb", RgbText(key)},
            {"positions", PositionList(positions.begin(), positions.end())}});
        if (index < families.size())
            colours.back()["family"] = families[index];
        ++index;
    });
    return {{"file", fileName}, {"compressed", movie.IsCompressed()}, {"version", movie.Version()},
        {"fileLength", movie.FileSize()}, {"colours", std::move(colours)}};
}

std::vector<std::uint32_t> FamiliesOf(const CSwfFile& movie, double within)
{
    std::vector<std::uint32_t> rgbs;
    rgbs.reserve(movie.Colors().Size());
    movie.Colors().ForEach([&](ColorKey key, Positions) { rgbs.push_back(RgbOf(key)); });
    return ColourFamilies(rgbs, within);
}

CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options)
{
    auto* colours
        = app.add_subcommand("colours", "List every colour of a movie with the number of places it is stored");
    colours->add_option("MOVIE", options.movie, "The .swf movie; - reads it from standard input")->required();
    colours->add_flag("--json", options.json, "Print JSON with the byte positions of every colour");
    auto* families = colours->add_flag("--families", options.families,
        "Add each colour's family: colours closer than --within to a member, linked step by step (greys only with "
        "greys), numbered in the order of their first colour");
    colours
        ->add_option("--within", options.within,
            "How close family members are: OKLab distance ΔE, about 2 being "
            "just noticeable")
        ->type_name("D")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 100.0))
        ->needs(families);
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
    const std::vector<std::uint32_t> families
        = options.families ? FamiliesOf(movie, options.within) : std::vector<std::uint32_t>{};
    if (options.json) {
        std::cout << ColoursAsJson(movie, options.movie, families).dump(2) << '\n';
        return kExitOk;
    }
    if (!PrintColoursAsText(movie, stdout, families)) {
        std::fprintf(stderr, "tintor-cli colours: can't write the list\n");
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tintor::cli
