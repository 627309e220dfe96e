#include "window_test_support.h"

#include <QPixmap>

#include <fstream>
#include <iterator>

namespace tintor::test {

namespace {

enum : std::uint16_t { kDefineShape = 2, kSetBackgroundColor = 9, kDefineText = 11 };

void WriteRgb(CBitWriter& w, std::uint32_t rgb)
{
    w.WriteRgb(
        static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb >> 16));
}

} // namespace

CColourMovie& CColourMovie::Background(std::uint32_t rgb)
{
    CBitWriter w;
    WriteRgb(w, rgb);
    m_builder.AddTag(kSetBackgroundColor, w.Take());
    return *this;
}

CColourMovie& CColourMovie::Shape(std::uint32_t fill, std::optional<std::uint32_t> line)
{
    CBitWriter w;
    w.WriteWord(m_nextId++);
    w.WriteRect({0, 2000, 0, 2000});
    w.WriteByte(1);
    w.WriteByte(0x00); // solid
    WriteRgb(w, fill);
    w.WriteByte(line ? 1 : 0);
    if (line) {
        w.WriteWord(20);
        WriteRgb(w, *line);
    }
    w.Align();
    w.WriteBits(1, 4);
    w.WriteBits(1, 4);
    w.WriteBits(0, 6); // no edges: the end record
    m_builder.AddTag(kDefineShape, w.Take());
    return *this;
}

CColourMovie& CColourMovie::Text(std::uint32_t rgb)
{
    CBitWriter w;
    w.WriteWord(m_nextId++);
    w.WriteRect({0, 2000, 0, 400});
    w.WriteMatrix(SwfMatrix{});
    w.WriteByte(8);    // glyph bits
    w.WriteByte(8);    // advance bits
    w.WriteByte(0x84); // style record with a colour
    WriteRgb(w, rgb);
    w.WriteByte(0); // no glyphs
    w.WriteByte(0); // end of records
    m_builder.AddTag(kDefineText, w.Take());
    return *this;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::filesystem::path> CScriptedDialogs::AskOpenFile(std::string_view, std::string_view, std::string_view)
{
    ++asked;
    if (answers.empty())
        return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::filesystem::path> CScriptedDialogs::AskSaveFile(
    std::string_view initialName, std::string_view filter, std::string_view extension)
{
    lastInitialName = std::string(initialName);
    return AskOpenFile(initialName, filter, extension);
}

QImage Grab(QWidget& widget)
{
    QImage image = widget.grab().toImage();
    if (image.devicePixelRatio() != 1.0)
        image = image.scaled(widget.size());
    return image;
}

std::uint32_t PixelAt(const QImage& image, QPoint point)
{
    const QRgb p = image.pixel(point);
    return Rgb(
        static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)), static_cast<std::uint8_t>(qBlue(p)));
}

} // namespace tintor::test

#if defined(__SANITIZE_ADDRESS__)
// Chromium inside Qt WebEngine frees some of its objects with a sized delete
// of a base type, and it and fontconfig keep some allocations until the
// process ends; none of that is ours to mend. Options given in ASAN_OPTIONS
// and LSAN_OPTIONS still win.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libfontconfig.so\n";
}
#endif
