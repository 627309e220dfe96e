#include "cli/colours_command.h"

#include "cli/batch.h"
#include "cli/selection_options.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/json_writer.h"
#include "core/messages.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
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

bool WriteColoursAsJson(const CSwfFile& movie, std::string_view fileName, IOutputFile& out,
    std::span<const std::uint32_t> families, const CMovieBitmaps* bitmaps)
{
    // Members in name order, as the listing has always had them; the
    // colours come first, so that nothing of them need be held back.
    CJsonWriter json(&out);
    json.BeginObject();
    json.Key("colours");
    json.BeginArray();
    std::size_t index = 0;
    movie.Colors().ForEach([&](ColorKey key, Positions positions) {
        char keyText[11];
        std::snprintf(keyText, sizeof keyText, "0x%08x", key);
        json.BeginObject();
        if (index < families.size()) {
            json.Key("family");
            json.Number(families[index]);
        }
        ++index;
        json.Key("key");
        json.String(keyText);
        json.Key("kind");
        json.String(KindName(key));
        json.Key("positions");
        json.BeginArray();
        for (const std::uint32_t position : positions)
            json.Number(position);
        json.EndArray();
        json.Key("rgb");
        json.String(RgbText(key));
        json.EndObject();
    });
    if (bitmaps != nullptr)
        for (const BitmapEntry& bitmap : bitmaps->Entries())
            WriteBitmapAsJson(bitmap, json);
    json.EndArray();
    json.Key("compressed");
    json.Bool(movie.IsCompressed());
    json.Key("file");
    json.String(fileName);
    json.Key("fileLength");
    json.Number(movie.FileSize());
    json.Key("version");
    json.Number(movie.Version());
    json.EndObject();
    return json.Finish();
}

bool PrintBitmapsAsText(const CMovieBitmaps& bitmaps, std::FILE* out)
{
    bool ok = true;
    for (const BitmapEntry& bitmap : bitmaps.Entries()) {
        const BitmapDescription& d = bitmap.description;
        ok = ok
            && std::fprintf(out, "bitmap %u %ux%u %.*s%s%s\n", unsigned{bitmap.record.characterId}, d.width, d.height,
                   static_cast<int>(d.format.size()), d.format.data(),
                   d.Recolourable() ? "" : " not recolourable: ", d.problem.c_str())
                > 0;
    }
    return ok && std::fflush(out) == 0;
}

void WriteBitmapAsJson(const BitmapEntry& bitmap, CJsonWriter& json)
{
    const BitmapDescription& d = bitmap.description;
    json.BeginObject();
    json.Key("format");
    json.String(d.format);
    json.Key("height");
    json.Number(d.height);
    json.Key("id");
    json.Number(bitmap.record.characterId);
    json.Key("kind");
    json.String("bitmap");
    json.Key("position");
    json.Number(bitmap.record.tagOffset);
    if (!d.Recolourable()) {
        json.Key("problem");
        json.String(d.problem);
    }
    json.Key("recolourable");
    json.Bool(d.Recolourable());
    json.Key("tag");
    json.Number(bitmap.record.code);
    json.Key("width");
    json.Number(d.width);
    json.EndObject();
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
    auto* colours = app.add_subcommand("colours",
        "List every colour of a movie with the number of places it is stored, then "
        "its images");
    colours->add_option("MOVIE", options.movie, "The .swf movie; - reads it from standard input")->required();
    colours->add_flag(
        "--json", options.json, "Print JSON with the byte positions of every colour, and of every image's tag");
    auto* families = colours->add_flag("--families", options.families,
        "Add each colour's family: colours closer than --within to a member, linked step by step (greys only with "
        "greys), numbered in the order of their first colour");
    colours
        ->add_option("--within", options.within,
            "How close family members are: OKLab distance ΔE, about 2 being "
            "just noticeable")
        ->type_name("D")
        ->capture_default_str()
        ->check(WithinRange())
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
    // The listing never writes the movie: nothing after it need be read.
    if (!movie.Load(*file, options.rule, AfterMovie::Ignore))
        return kExitFailed;
    const std::vector<std::uint32_t> families
        = options.families ? FamiliesOf(movie, options.within) : std::vector<std::uint32_t>{};
    CMovieBitmaps bitmaps;
    bitmaps.Load(movie);
    CStdioOutputFile out(stdout);
    errno = 0;
    const bool written = options.json
        ? WriteColoursAsJson(movie, options.movie, out, families, &bitmaps)
        : PrintColoursAsText(movie, stdout, families) && PrintBitmapsAsText(bitmaps, stdout);
    if (!written || !out.Flush()) {
        const std::error_code error
            = out.Error() ? out.Error() : std::error_code(errno != 0 ? errno : EIO, std::generic_category());
        std::fprintf(stderr, "tintor-cli colours: can't write the list: %s\n", error.message().c_str());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace tintor::cli
