// Movies of ActionScript 3 that draw with colours from their code.
#include "swf/abc_instructions.h"
#include "testkit/abc_builder.h"
#include "testkit/movie_builder.h"

namespace tintor {

namespace {

constexpr std::uint16_t kTagShowFrame = 1;
constexpr std::uint16_t kTagSetBackgroundColor = 9;
constexpr std::uint16_t kTagFileAttributes = 69;
constexpr std::uint16_t kTagSymbolClass = 76;
constexpr std::uint16_t kTagDoAbc = 82;
constexpr std::uint8_t kActionScript3 = 0x08;
constexpr std::uint8_t kMovieVersion = 10;
// 400 x 300 pixels, in twips.
constexpr SwfRect kStage{0, 8000, 0, 6000};

} // namespace

std::vector<std::uint8_t> BuildAbcDrawingMovie(
    std::uint32_t colour, bool unsignedEntry, std::size_t length, std::uint32_t* entryPos)
{
    CAbcBuilder abc;
    const std::uint32_t entry
        = unsignedEntry ? abc.Uint(colour, length) : abc.Int(static_cast<std::int32_t>(colour), length);
    const std::uint32_t main = abc.QName("", "Main");
    const std::uint32_t sprite = abc.QName("flash.display", "Sprite");
    const std::uint32_t object = abc.QName("", "Object");
    const std::uint32_t graphics = abc.QName("", "graphics");

    // class Main extends Sprite, made by the script's initialiser.
    const std::uint32_t scriptInit = abc.Method();
    const std::uint32_t iinit = abc.Method();
    const std::uint32_t cinit = abc.Method();
    const std::uint32_t cls = abc.Class(main, sprite, iinit, cinit);
    abc.Script(scriptInit, {AbcTrait{main, kAbcTraitClass, 1, cls, {}, {}}});

    CAbcCode init;
    init.Op(kOpGetLocal0).Op(kOpPushScope).Op(kOpGetScopeObject).U8(0);
    init.Op(kOpGetLex, object).Op(kOpPushScope).Op(kOpGetLex, sprite).Op(kOpNewClass, cls).Op(0x1D /* popscope */);
    init.Op(kOpInitProperty, main).Op(kOpReturnVoid);
    abc.Body(scriptInit, init, 2, 1, {}, 0, 2);

    CAbcCode classInit;
    classInit.Op(kOpGetLocal0).Op(kOpPushScope).Op(kOpReturnVoid);
    abc.Body(cinit, classInit, 1, 1, {}, 0, 1);

    // graphics.beginFill(colour); graphics.drawRect(0, 0, 400, 300);
    // graphics.endFill();
    CAbcCode draw;
    draw.Op(kOpGetLocal0).Op(kOpPushScope).Op(kOpGetLocal0).Op(kOpConstructSuper, 0);
    draw.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).Op(unsignedEntry ? kOpPushUint : kOpPushInt, entry);
    draw.Op(kOpCallPropVoid, abc.QName("", "beginFill"), 1);
    draw.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).PushByte(0).PushByte(0).PushShort(400).PushShort(300);
    draw.Op(kOpCallPropVoid, abc.QName("", "drawRect"), 4);
    draw.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).Op(kOpCallPropVoid, abc.QName("", "endFill"), 0);
    draw.Op(kOpReturnVoid);
    abc.Body(iinit, draw, 6, 1, {}, 0, 1);

    const AbcLayout layout = abc.Build();
    CMovieBuilder movie(kMovieVersion, kStage);
    const std::uint8_t attributes[] = {kActionScript3, 0, 0, 0};
    movie.AddTag(kTagFileAttributes, attributes);
    const std::uint8_t white[] = {0xFF, 0xFF, 0xFF};
    movie.AddTag(kTagSetBackgroundColor, white);
    const std::uint32_t body = movie.AddTag(kTagDoAbc, DoAbcBody(layout.bytes));
    if (entryPos)
        *entryPos = body + kDoAbcHeader + 1 + (unsignedEntry ? layout.uints : layout.ints)[entry - 1];
    CBitWriter symbols;
    symbols.WriteWord(1);
    symbols.WriteWord(0); // the main timeline
    symbols.WriteString("Main");
    movie.AddTag(kTagSymbolClass, symbols.Take());
    movie.AddTag(kTagShowFrame, {});
    return movie.Build();
}

} // namespace tintor
