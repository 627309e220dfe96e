// The readers of tags without collected colours: they read their records
// completely, collect nothing, and stay inside their tag whatever it holds.
#include "reader_fixture.h"
#include "testkit/recording_sink.h"

#include <algorithm>

namespace tintor {
namespace {

using test::Here;

void Actions(CBitWriter& w)
{
    w.WriteByte(0x07); // Stop
    w.WriteByte(0x96); // Push, with a length
    w.WriteWord(3);
    w.WriteBytes(std::vector<std::uint8_t>{0x00, 'a', 0x00});
    w.WriteByte(0x81); // GotoFrame
    w.WriteWord(2);
    w.WriteWord(0);
    w.WriteByte(0x00);
}

SwfCxform Tint()
{
    SwfCxform c;
    c.redMult = 128;
    c.greenAdd = -40;
    c.blueAdd = 255;
    c.alphaMult = 200;
    return c;
}

SwfMatrix Skewed()
{
    SwfMatrix m;
    m.scaleX = 0x18000;
    m.rotateSkew1 = -300;
    m.translateX = 4000;
    return m;
}

std::vector<std::uint8_t> PlaceObject2()
{
    CBitWriter w;
    w.WriteByte(0x7E); // character, matrix, colour transform, ratio, name, clip depth
    w.WriteWord(1);
    w.WriteWord(2);
    w.WriteMatrix(Skewed());
    w.WriteCxform(Tint(), true);
    w.WriteWord(0x1000);
    w.WriteString("ab");
    w.WriteWord(5);
    return w.Take();
}

void ButtonRecord(CBitWriter& w, bool withCxform)
{
    w.WriteByte(0x0F);
    w.WriteWord(3);
    w.WriteWord(1);
    w.WriteMatrix(Skewed());
    if (withCxform)
        w.WriteCxform(Tint(), true);
}

std::vector<std::uint8_t> DefineButton()
{
    CBitWriter w;
    w.WriteWord(7);
    ButtonRecord(w, false);
    ButtonRecord(w, false);
    w.WriteByte(0);
    Actions(w);
    return w.Take();
}

std::vector<std::uint8_t> DefineButton2()
{
    CBitWriter records;
    ButtonRecord(records, true);
    ButtonRecord(records, true);
    records.WriteByte(0);
    const auto recordBytes = records.Take();

    CBitWriter first;
    first.WriteWord(0x0008); // conditions
    Actions(first);
    const auto firstBytes = first.Take();

    CBitWriter w;
    w.WriteWord(8);
    w.WriteByte(0);
    w.WriteWord(static_cast<std::uint16_t>(2 + recordBytes.size()));
    w.WriteBytes(recordBytes);
    w.WriteWord(static_cast<std::uint16_t>(2 + firstBytes.size()));
    w.WriteBytes(firstBytes);
    w.WriteWord(0); // last
    w.WriteWord(0x0001);
    Actions(w);
    return w.Take();
}

std::vector<std::uint8_t> PlaceObject(bool withCxform)
{
    CBitWriter w;
    w.WriteWord(1);
    w.WriteWord(2);
    w.WriteMatrix(Skewed());
    if (withCxform)
        w.WriteCxform(Tint(), false);
    return w.Take();
}

std::vector<std::uint8_t> DoAction()
{
    CBitWriter w;
    Actions(w);
    return w.Take();
}

struct ReaderCase {
    const char* name;
    void (CSwfFile::*reader)();
    std::vector<std::uint8_t> body;
    // Where the reader leaves the cursor: its records' end, which is the
    // body's end unless the reader reads only a prefix.
    std::size_t end;
};

TEST(OtherReaders, ReadTheirRecordsToTheEnd)
{
    const std::vector<std::uint8_t> junk(20, 0xA5);
    auto withJunk = [&](std::vector<std::uint8_t> head) {
        head.insert(head.end(), junk.begin(), junk.end());
        return head;
    };
    const std::vector<ReaderCase> cases = {
        {"PlaceObject2", &CSwfFile::ReadPlaceObject2, PlaceObject2(), 0},
        {"DefineButton", &CSwfFile::ReadDefineButton, DefineButton(), 0},
        {"DefineButton2", &CSwfFile::ReadDefineButton2, DefineButton2(), 0},
        {"DoAction", &CSwfFile::ReadDoAction, DoAction(), 0},
        {"DefineFontInfo", &CSwfFile::ReadDefineFontInfo, {1, 0, 3, 'a', 'b', 'c', 0x04, 'a', 'b', 'c', 'd'}, 0},
        {"DefineSound", &CSwfFile::ReadDefineSound, withJunk({1, 0, 0x2E, 0x10, 0x27, 0, 0}), 7},
        {"SoundStreamHead", &CSwfFile::ReadSoundStreamHead, withJunk({0x0A, 0x2E, 0x40, 0x02}), 4},
        {"SoundStreamBlock", &CSwfFile::ReadSoundStreamBlock, junk, 20},
        {"NameCharacter", &CSwfFile::ReadNameCharacter, {1, 0, 'n', 'a', 'm', 'e', 0}, 0},
        {"FrameLabel", &CSwfFile::ReadFrameLabel, {'s', 't', 'a', 'r', 't', 0}, 0},
        {"PlaceObject", &CSwfFile::ReadPlaceObject, PlaceObject(false), 0},
        {"PlaceObject with a colour transform", &CSwfFile::ReadPlaceObject, PlaceObject(true), 0},
        {"RemoveObject", &CSwfFile::ReadRemoveObject, {1, 0, 1, 0}, 0},
        {"RemoveObject2", &CSwfFile::ReadRemoveObject2, {1, 0}, 0},
        {"FreeCharacter", &CSwfFile::ReadFreeCharacter, {1, 0}, 0},
        {"DefineBits", &CSwfFile::ReadDefineBits, withJunk({1, 0}), 2},
        {"DefineBitsJPEG2", &CSwfFile::ReadDefineBitsJPEG2, withJunk({1, 0}), 2},
        {"DefineBitsJPEG3", &CSwfFile::ReadDefineBitsJPEG3, withJunk({1, 0, 0, 0, 0, 0}), 6},
        {"DefineButtonCxform", &CSwfFile::ReadDefineButtonCxform, withJunk({1, 0, 0x00}), 3},
        {"StartSound", &CSwfFile::ReadStartSound, withJunk({1, 0}), 2},
        {"DefineButtonSound", &CSwfFile::ReadDefineButtonSound, withJunk({1, 0}), 2},
        {"DefineText2", &CSwfFile::ReadDefineText2, withJunk({1, 0}), 2},
    };
    CRecordingSink messages;
    CSwfFile movie(messages);
    for (const ReaderCase& c : cases) {
        movie.AttachForReading(c.body);
        (movie.*c.reader)();
        EXPECT_EQ(movie.Pos(), c.end ? c.end : c.body.size()) << c.name;
        EXPECT_TRUE(movie.Colors().Empty()) << c.name;
    }
}

class OtherReaderTest : public test::ReaderTest {};

TEST_F(OtherReaderTest, ColourTransformsThatAreNoTintsAreCountedNotCollected)
{
    const std::uint8_t red[] = {0xFF, 0, 0};
    CBitWriter cxform;
    cxform.WriteWord(8);
    cxform.WriteCxform(Tint(), false);
    CMovieBuilder b;
    b.AddTag(26, PlaceObject2());
    b.AddTag(34, DefineButton2());
    b.AddTag(23, cxform.Take());
    b.AddTag(7, DefineButton());
    b.AddTag(12, DoAction());
    const auto bg = b.AddTag(9, red);
    ASSERT_TRUE(Load(b.Build()));
    EXPECT_EQ(m_movie.Colors().Keys(), std::vector<ColorKey>{0x800000FF});
    EXPECT_EQ(PositionsOf(0x800000FF), PositionList{bg});
    // The PlaceObject2's, the two button records' and DefineButtonCxform's.
    EXPECT_EQ(m_movie.Account().colourTransforms, 4u);
}

TEST_F(OtherReaderTest, GarbageBodiesOfEveryCodeStayInsideTheirTag)
{
    // Every code of the table, sprites included, with bodies of all ones,
    // of 0x80 and of noise: the walk ends, the tag after them is found where
    // it is, and every registered colour lies wholly inside one body.
    std::uint32_t noise = 12345;
    auto next = [&] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(noise >> 16);
    };
    for (int fill = 0; fill < 3; ++fill) {
        for (std::size_t length : {1u, 7u, 40u, 300u}) {
            CMovieBuilder b;
            std::vector<std::pair<std::uint32_t, std::uint32_t>> bodies;
            for (std::uint16_t code = 1; code <= 48; ++code) {
                std::vector<std::uint8_t> body(length);
                for (auto& byte : body)
                    byte = fill == 0 ? 0xFF : fill == 1 ? 0x80 : next();
                const auto at = b.AddTag(code, body);
                bodies.emplace_back(at, at + static_cast<std::uint32_t>(length));
            }
            const std::uint8_t marker[] = {0x12, 0x34, 0x56};
            const auto bg = b.AddTag(9, marker);
            ASSERT_TRUE(Load(b.Build()));
            const PositionList markers = PositionsOf(0x80563412);
            ASSERT_FALSE(markers.empty()) << fill << " " << length;
            EXPECT_EQ(markers.back(), bg);
            m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
                for (std::uint32_t p : positions) {
                    const bool inside = p == bg || std::any_of(bodies.begin(), bodies.end(), [p](auto r) {
                        return p >= r.first && p + 3 <= r.second;
                    });
                    EXPECT_TRUE(inside) << std::hex << key << " at " << p;
                }
            });
        }
    }
}

} // namespace
} // namespace tintor
