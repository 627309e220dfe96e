#pragma once

// Movies, fakes and pixel helpers shared by the window's tests.
#include "core/dialogs.h"
#include "testkit/movie_builder.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tintor::test {

// A colour as the registry keys it: red in the low byte.
constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return static_cast<std::uint32_t>(r) | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}

// Builds a movie whose colours the test names one by one.
class CColourMovie {
public:
    CColourMovie& Background(std::uint32_t rgb);
    // A shape with one solid fill and, when given, one line style.
    CColourMovie& Shape(std::uint32_t fill, std::optional<std::uint32_t> line = std::nullopt);
    CColourMovie& Text(std::uint32_t rgb);
    std::vector<std::uint8_t> Build() const { return m_builder.Build(); }

private:
    CMovieBuilder m_builder;
    std::uint16_t m_nextId = 1;
};

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

// Answers the file dialogs from a queue; an empty queue is a cancel.
class CScriptedDialogs final : public IFileDialogs {
public:
    std::optional<std::filesystem::path> AskOpenFile(std::string_view, std::string_view, std::string_view) override;
    std::optional<std::filesystem::path> AskSaveFile(
        std::string_view initialName, std::string_view, std::string_view) override;

    std::deque<std::optional<std::filesystem::path>> answers;
    int asked = 0;
    std::string lastInitialName;
};

// The widget as it is on screen, one image pixel per widget pixel.
QImage Grab(QWidget& widget);
std::uint32_t PixelAt(const QImage& image, QPoint point);

} // namespace tintor::test
