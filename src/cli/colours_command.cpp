#include "cli/colours_command.h"

#include "cli/batch.h"
#include "cli/selection_options.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/json_writer.h"
#include "core/messages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tintor::cli {

const char* KindName(ColorKey key)
{
    // Every name of the table is a literal, so its view ends in a zero.
    const ColorKindInfo* kind = InfoOf(key);
    return kind != nullptr ? kind->name.data() : "fill";
}

std::string RgbText(ColorKey key) { return HexColor(key); }

namespace {

// Hex digits of every byte value, two to a byte.
constexpr std::array<char, 512> kHexPairs = [] {
    std::array<char, 512> pairs{};
    constexpr char kDigits[] = "0123456789abcdef";
    for (int b = 0; b < 256; ++b) {
        pairs[2 * b] = kDigits[b >> 4];
        pairs[2 * b + 1] = kDigits[b & 0xF];
    }
    return pairs;
}();

// Writes the six hex digits of the key's colour, red first, at p.
char* PutRgbDigits(char* p, ColorKey key)
{
    for (int shift = 0; shift < 24; shift += 8, p += 2)
        std::memcpy(p, &kHexPairs[2 * ((key >> shift) & 0xFF)], 2);
    return p;
}

// The start of a line of each kind, "fill #", by the place of the kind's
// bit; made from the table of kinds, so that a new kind needs nothing here.
// Keys of no one kind, which the registry never makes, read as fills, as
// KindName has them.
class CKindPrefixes {
public:
    static constexpr std::size_t kMost = 8;

    CKindPrefixes()
    {
        for (std::size_t bit = 0; bit <= 32; ++bit)
            Set(bit, "fill");
        for (const ColorKindInfo& info : kColorKinds)
            Set(static_cast<std::size_t>(std::countr_zero(static_cast<std::uint32_t>(info.kind))), info.name);
    }
    // Always kMost bytes to copy, of which Length are the prefix.
    const char* Text(ColorKey key) const { return m_text[Place(key)].data(); }
    std::size_t Length(ColorKey key) const { return m_length[Place(key)]; }

private:
    static std::size_t Place(ColorKey key)
    {
        const std::uint32_t kind = KindOf(key);
        // One bit, told without a population count, which this target's
        // instruction set would leave to a library call.
        return kind != 0 && (kind & (kind - 1)) == 0 ? static_cast<std::size_t>(std::countr_zero(kind)) : 32;
    }
    void Set(std::size_t bit, std::string_view name)
    {
        static_assert(
            std::ranges::all_of(kColorKinds, [](const ColorKindInfo& info) { return info.name.size() + 2 <= kMost; }),
            "every kind's name and \" #\" fit in kMost bytes");
        const std::size_t length = name.size();
        m_text[bit].fill(' ');
        std::copy_n(name.begin(), length, m_text[bit].begin());
        m_text[bit][length] = ' ';
        m_text[bit][length + 1] = '#';
        m_length[bit] = static_cast<std::uint8_t>(length + 2);
    }

    std::array<std::array<char, kMost>, 33> m_text{};
    std::array<std::uint8_t, 33> m_length{};
};

} // namespace

bool PrintColoursAsText(const CSwfFile& movie, std::FILE* out, std::span<const std::uint32_t> families)
{
    // A movie may have millions of colours: each line is put together in
    // place from tables rather than through a formatted print, and the text
    // goes out in pieces large enough for stdio to pass them straight to
    // the file.
    constexpr std::size_t kLineMax = 64;
    constexpr std::string_view kFamily = " family ";
    const CKindPrefixes prefixes;
    std::size_t index = 0;
    std::vector<char> text(std::size_t{1} << 18);
    char* p = text.data();
    char* const full = text.data() + text.size() - kLineMax;
    bool ok = true;
    const auto flush = [&] {
        const auto n = static_cast<std::size_t>(p - text.data());
        ok = ok && std::fwrite(text.data(), 1, n, out) == n;
        p = text.data();
    };
    movie.Colors().ForEach([&](ColorKey key, Positions positions) {
        if (p > full)
            flush();
        std::memcpy(p, prefixes.Text(key), CKindPrefixes::kMost);
        p = PutRgbDigits(p + prefixes.Length(key), key);
        *p++ = ' ';
        if (positions.size() < 10)
            *p++ = static_cast<char>('0' + positions.size());
        else
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
        char keyText[10] = {'0', 'x'};
        for (int shift = 24, at = 2; shift >= 0; shift -= 8, at += 2)
            std::memcpy(keyText + at, &kHexPairs[2 * ((key >> shift) & 0xFF)], 2);
        json.BeginObject();
        if (index < families.size()) {
            json.Key("family");
            json.Number(families[index]);
        }
        ++index;
        json.Key("key");
        json.String(std::string_view(keyText, sizeof keyText));
        json.Key("kind");
        json.String(KindName(key));
        json.Key("positions");
        json.BeginArray();
        for (const std::uint32_t position : positions)
            json.Number(position);
        json.EndArray();
        char rgbText[7] = {'#'};
        PutRgbDigits(rgbText + 1, key);
        json.Key("rgb");
        json.String(std::string_view(rgbText, sizeof rgbText));
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
