#include "colour/colour_script.h"

#include "core/file.h"
#include "core/hex_digit.h"
#include "swf/colour_key.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tintor {
namespace {

constexpr std::string_view kHeader = "[TINTOR SCRIPT]\n";
constexpr std::string_view kTrailer = "[END]\n";
constexpr std::string_view kNotFoundWarning = "見つからない色があるんですけど……いいですか？";
constexpr std::string_view kNotAScript = "not a colour script";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A change line: the kind's tag padded to six characters (and followed by
// a blank when it is longer), then the colour and its replacement.
constexpr const char* kLineFormat = "%-*.*s#%06x -> #%06x\n";
constexpr int kTagWidth = 6;

// A change line's kind, from the text that starts at its '@': the kind of
// the longest script prefix it starts with, so "@f" and "@t" lines read as
// they always did, and only "@filt" and "@ti" as the later kinds.
std::optional<std::uint32_t> KindOfTag(std::string_view tag)
{
    const ColorKindInfo* best = nullptr;
    for (const ColorKindInfo& info : kColorKinds)
        if (tag.starts_with(info.scriptPrefix)
            && (best == nullptr || info.scriptPrefix.size() > best->scriptPrefix.size()))
            best = &info;
    return best != nullptr ? std::optional<std::uint32_t>(best->kind) : std::nullopt;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Control characters other than white space do not occur in text.
bool IsBinary(char c) { return (static_cast<unsigned char>(c) < 0x20 && !IsSpace(c)) || c == '\x7F'; }

// Lets a script be read for what it does without telling anybody.
class CQuietSink final : public IMessageSink {
public:
    void Show(std::string_view) override {}
    bool AskKeepScript(const ScriptMismatch&) override { return true; }
};

// The text of a script: its bytes up to the first zero byte.
std::string_view ScriptText(std::span<const std::uint8_t> bytes)
{
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(zero - bytes.begin())};
}

// A number as formatted input's "%x" takes it: optional white space, an
// optional sign, an optional 0x, then hexadecimal digits of either case.
// Nothing when no digit follows or the value does not fit a 24-bit colour.
std::optional<std::uint32_t> ParseColour(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // "0x" with no digit after it is the number 0, its '0' being the digit.
    if (pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')
        && HexDigit(text[pos + 2]) >= 0)
        pos += 2;
    std::uint32_t value = 0;
    bool anyDigit = false;
    bool tooLarge = false;
    for (; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos) {
        anyDigit = true;
        value = value << 4 | static_cast<std::uint32_t>(HexDigit(text[pos]));
        if (value > kColourMask)
            tooLarge = true;
    }
    if (!anyDigit || tooLarge)
        return std::nullopt;
    if (negative)
        value = 0u - value;
    if (value > kColourMask)
        return std::nullopt;
    return value;
}

// Reads a file whole into a buffer of its length. The buffer is the one
// allocation that a damaged or hostile file can make large.
enum class ReadOutcome { Ok, OpenFailed, NoMemory };

ReadOutcome ReadScriptFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes, std::error_code& error)
{
    auto file = CDiskInputFile::Open(path, error);
    if (!file)
        return ReadOutcome::OpenFailed;
    try {
        if (const auto size = file->Remaining()) {
            bytes.resize(static_cast<std::size_t>(*size));
            bytes.resize(file->Read(bytes));
        } else {
            std::uint8_t chunk[4096];
            while (const std::size_t n = file->Read(chunk))
                bytes.insert(bytes.end(), chunk, chunk + n);
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return ReadOutcome::NoMemory;
    } catch (const std::length_error&) {
        bytes.clear();
        return ReadOutcome::NoMemory;
    }
    if (file->Error()) {
        error = file->Error();
        return ReadOutcome::OpenFailed;
    }
    return ReadOutcome::Ok;
}

} // namespace

// The entries come from the table itself, so no lookup can miss and nothing
// is reported.
std::string WriteColorScript(const CColorTable& table, IMessageSink&)
{
    std::string script(kHeader);
    table.Map().ForEach([&](std::uint32_t key, std::uint32_t entry) {
        const std::uint32_t colour = RgbOf(key);
        const std::uint32_t replacement = RgbOf(table.ColorOf(entry, 1));
        const ColorKindInfo* kind = InfoOf(key);
        if (colour == replacement || kind == nullptr)
            return;
        const int tagLength = static_cast<int>(kind->scriptTag.size());
        char line[64];
        const int n = std::snprintf(line, sizeof line, kLineFormat, std::max(kTagWidth, tagLength + 1), tagLength,
            kind->scriptTag.data(), static_cast<unsigned>(colour), static_cast<unsigned>(replacement));
        script.append(line, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof line) - 1)));
    });
    script.append(kTrailer);
    return script;
}

ColorScriptResult ReadColorScript(
    std::span<const std::uint8_t> bytes, CColorTable& table, IMessageSink& messages, const ScriptPassesBy& passBy)
{
    const std::string_view text = ScriptText(bytes);

    ColorScriptResult result;
    bool warned = false;
    std::size_t pos = 0;
    // Not line based: the cursor only hunts for the next '@' or '#', so a
    // line missing a number borrows the next line's '#'.
    for (;;) {
        const std::size_t at = text.find('@', pos);
        if (at == std::string_view::npos || at + 1 >= text.size())
            break;
        const auto kind = KindOfTag(text.substr(at));
        if (!kind)
            break;
        pos = std::min(at + 5, text.size());

        const std::size_t first = text.find('#', pos);
        if (first == std::string_view::npos) {
            pos = text.size();
            continue;
        }
        const auto colour = ParseColour(text, first + 1);
        pos = first + 1;

        const std::size_t second = text.find('#', pos);
        if (second == std::string_view::npos)
            continue;
        const auto replacement = ParseColour(text, second + 1);
        pos = second + 1;

        if (!colour || !replacement) {
            ++result.malformed;
            continue;
        }
        std::uint32_t* entry = table.Map().Find(*colour | *kind);
        if (entry == nullptr) {
            ++result.notFound;
            if (!warned) {
                messages.Show(kNotFoundWarning);
                warned = true;
            }
            continue;
        }
        if (passBy && passBy(*colour | *kind)) {
            ++result.locked;
            continue;
        }
        *entry = *replacement | *kind;
        ++result.applied;
    }
    return result;
}

bool IsColorScript(std::span<const std::uint8_t> bytes)
{
    std::string_view text = ScriptText(bytes);
    // The zero byte that ends the text must not hide binary data behind it:
    // a movie's header has one within its first eight bytes.
    if (text.size() < bytes.size() && text.size() < kHeader.size())
        return false;
    if (std::any_of(text.begin(), text.end(), IsBinary))
        return false;
    CColorTable empty;
    CQuietSink quiet;
    const ColorScriptResult lines = ReadColorScript(bytes, empty, quiet);
    // Against an empty table every usable line counts as not found.
    if (lines.notFound > 0)
        return true;
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    return text.starts_with(kHeader.substr(0, kHeader.size() - 1)) && lines.malformed == 0;
}

bool savetable(const CColorTable& table, std::string_view initialName, IFileDialogs& dialogs, IMessageSink& messages)
{
    const auto path = dialogs.AskSaveFile(initialName, kColorScriptFilter, kColorScriptExtension);
    if (!path)
        return false;
    const std::string script = WriteColorScript(table, messages);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(script.data()), script.size());
    std::error_code error;
    if (!WriteWholeFile(*path, bytes, &error)) {
        messages.ShowFileFailure({FileFailure::Action::Save, "savetable: file open error!", *path, error, {}});
        return false;
    }
    return true;
}

bool loadtable(CColorTable& table, std::string_view initialName, IFileDialogs& dialogs, IMessageSink& messages,
    ColorScriptResult* result, const ScriptPassesBy& passBy)
{
    const auto path = dialogs.AskOpenFile(initialName, kColorScriptFilter, kColorScriptExtension);
    if (!path)
        return false;
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    switch (ReadScriptFile(*path, bytes, error)) {
    case ReadOutcome::OpenFailed:
        messages.ShowFileFailure({FileFailure::Action::Open, "loadtable: file open error!", *path, error, {}});
        return false;
    case ReadOutcome::NoMemory:
        messages.Show("loadtable: memory allocation error!");
        return false;
    case ReadOutcome::Ok:
        break;
    }
    if (!IsColorScript(bytes)) {
        messages.ShowFileFailure(
            {FileFailure::Action::Open, "loadtable: can't load", *path, {}, std::string(kNotAScript)});
        return false;
    }
    try {
        // Read aside: the user may still decline a script of which some
        // colours were not found.
        CColorTable loaded = table;
        CQuietSink quiet;
        const ColorScriptResult read = ReadColorScript(bytes, loaded, quiet, passBy);
        if (read.notFound > 0
            && !messages.AskKeepScript({*path, read.applied, read.notFound, std::string(kNotFoundWarning)}))
            return false;
        if (read.applied > 0)
            table = std::move(loaded);
        if (result != nullptr)
            *result = read;
    } catch (const std::bad_alloc&) {
        messages.Show("loadtable: memory allocation error!");
        return false;
    }
    return true;
}

} // namespace tintor
