// A movie of one of each thing whose colours Tintor leaves as they are.
#include "testkit/movie_builder.h"

#include <tuple>

namespace tintor {

std::vector<std::uint8_t> BuildLeftoversMovie()
{
    CMovieBuilder b(10);
    b.AddTag(20, std::vector<std::uint8_t>{1, 0, 3, 4, 0, 3, 0, 9, 9, 9, 9, 9}); // DefineBitsLossless, 4 x 3
    CBitWriter action;
    action.WriteByte(0x96); // Push "beginFill"
    action.WriteWord(11);
    action.WriteByte(0);
    action.WriteString("beginFill");
    action.WriteByte(0);
    b.AddTag(12, action.Take());
    // A transform that is no tint, and a tint of 8 bits without room for white.
    for (const auto& [mult, add, bits] : {std::tuple{128, 0, 9}, std::tuple{100, 39, 8}}) {
        SwfCxform cx;
        cx.redMult = static_cast<std::int16_t>(mult);
        cx.greenMult = cx.blueMult = add != 0 ? cx.redMult : std::int16_t{256};
        cx.redAdd = static_cast<std::int16_t>(add);
        cx.blueAdd = static_cast<std::int16_t>(2 * add);
        CBitWriter place;
        place.WriteByte(0x08);
        place.WriteWord(1);
        place.WriteCxform(cx, true, add != 0, true, bits);
        b.AddTag(26, place.Take());
    }
    std::vector<std::uint8_t> matrix = {0x00, 0x01, 1, 0, 1, 6}; // PlaceObject3, one colour-matrix filter
    matrix.resize(matrix.size() + 80);
    b.AddTag(70, matrix);
    CBitWriter text;
    text.WriteWord(2);
    text.WriteRect({0, 10, 0, 10});
    text.WriteByte(0x80);
    text.WriteByte(0x02);
    text.WriteString("v");
    text.WriteString(R"(<font color="red">x</font>)");
    b.AddTag(37, text.Take());
    b.AddTag(60, std::vector<std::uint8_t>(10, 0)); // DefineVideoStream and two frames
    b.AddTag(61, std::vector<std::uint8_t>(4, 0));
    b.AddTag(61, std::vector<std::uint8_t>(4, 0));
    return b.Build();
}

} // namespace tintor
