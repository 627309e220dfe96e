// Movies shown for a moment in place of the preview: one colour picked out,
// or the movie as it was opened. They are written from a copy of the
// movie's bytes, so that nothing of what the user edits can change.
#include "document/tintor_doc.h"

namespace tintor {

std::uint32_t CTintorDoc::Dimmed(std::uint32_t rgb)
{
    // Most of the way to a light grey: shapes stay where they are, faint,
    // and the signal colour stands out from all of them.
    std::uint32_t out = 0;
    for (const int shift : {0, 8, 16}) {
        const std::uint32_t c = (rgb >> shift) & 0xFF;
        out |= ((c * 3 + 0xD8 * 7 + 5) / 10) << shift;
    }
    return out;
}

CMovieImage CTintorDoc::RecolouredImage(const std::function<std::uint32_t(ColorKey)>& colourOf) const
{
    CMovieImage image;
    if (!HasMovie())
        return image;
    const std::span<const std::uint8_t> source = m_movie.Buffer();
    image.buffer.assign(source.begin(), source.end());
    image.compression = m_movie.Compression();
    const std::span<std::uint8_t> buffer(image.buffer);
    m_movie.Colors().ForEach([&](ColorKey key, Positions positions) {
        const std::uint32_t rgb = RgbOf(colourOf(key));
        for (const std::uint32_t p : positions)
            m_movie.WriteColourInto(buffer, p, rgb);
    });
    return image;
}

CMovieImage CTintorDoc::SignalImage(std::size_t index) const
{
    const auto keys = m_colorTable.Map().DenseKeys();
    if (index >= keys.size())
        return {};
    const ColorKey target = keys[index];
    return RecolouredImage([&](ColorKey key) {
        if (key == target)
            return kSignalColour;
        const std::uint32_t* entry = m_colorTable.Map().Find(key);
        return Dimmed(entry ? RgbOf(m_colorTable.ColorOf(*entry, 1)) : RgbOf(key));
    });
}

CMovieImage CTintorDoc::OriginalImage() const
{
    return RecolouredImage([](ColorKey key) { return RgbOf(key); });
}

std::optional<std::filesystem::path> CTintorDoc::WriteBesidePreview(const CMovieImage& image, std::string_view name)
{
    const auto preview = GetTempFilePath();
    if (!preview || image.buffer.empty())
        return std::nullopt;
    const std::filesystem::path path = preview->parent_path() / std::string(name);
    std::error_code error;
    if (!CSwfFile::SaveImageToPath(image, path, &error)) {
        m_messages.ShowFileFailure({FileFailure::Action::Save, "can't write the preview file", path, error, {}});
        return std::nullopt;
    }
    return path;
}

} // namespace tintor
