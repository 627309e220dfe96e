// The cursor and the primitive records, each case bytes paired with what they read as.
#include "swf/swf_file.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

class CursorTest : public ::testing::Test {
protected:
    void Attach(std::vector<std::uint8_t> bytes) { m_file.AttachForReading(std::move(bytes)); }
    CRecordingSink m_messages;
    CSwfFile m_file{m_messages};
};

TEST_F(CursorTest, ByteReadAfterBitsDropsThePendingBits)
{
    Attach({0b101'11111, 0x42});
    EXPECT_EQ(m_file.ReadBits(3), 0b101u);
    EXPECT_EQ(m_file.ReadByte(), 0x42);
}

TEST_F(CursorTest, BitsContinueAcrossBytesMostSignificantFirst)
{
    Attach({0b101'00000, 0b11'000000});
    m_file.ReadBits(0);
    EXPECT_EQ(m_file.ReadBits(3), 0b101u);
    EXPECT_EQ(m_file.ReadBits(2), 0b00u);
    // Three bits pending; five more take the top two of the next byte.
    EXPECT_EQ(m_file.ReadBits(5), 0b000'11u);
    EXPECT_EQ(m_file.PendingBits(), 6);
    EXPECT_EQ(m_file.Pos(), 2u);
}

TEST_F(CursorTest, ReadingExactlyThePendingBitsTakesNoByte)
{
    Attach({0xF0, 0x0F});
    EXPECT_EQ(m_file.ReadBits(4), 0xFu);
    EXPECT_EQ(m_file.ReadBits(4), 0x0u);
    EXPECT_EQ(m_file.Pos(), 1u);
    EXPECT_EQ(m_file.ReadBits(8), 0x0Fu);
    EXPECT_EQ(m_file.PendingBits(), 0);
    EXPECT_EQ(m_file.ReadBits(0), 0u);
    EXPECT_EQ(m_file.Pos(), 2u);
}

TEST_F(CursorTest, SignedBitsAreSignExtended)
{
    Attach({0b1'10000'01, 0b111'00000});
    EXPECT_EQ(m_file.ReadSBits(1), -1);
    EXPECT_EQ(m_file.ReadSBits(5), -16);
    EXPECT_EQ(m_file.ReadSBits(5), 0b01111);
    EXPECT_EQ(m_file.ReadSBits(0), 0);
}

TEST_F(CursorTest, LittleEndianIntegers)
{
    Attach({0x34, 0x12, 0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(m_file.ReadWord(), 0x1234);
    m_file.SetPos(2);
    EXPECT_EQ(m_file.ReadDWord(), 0x12345678u);
}

TEST_F(CursorTest, EmptyRectTakesOneByteAndLeavesTheNext)
{
    Attach({0x00, 0xFF});
    SwfRect rect{1, 2, 3, 4};
    m_file.ReadRect(rect);
    EXPECT_EQ(rect, (SwfRect{0, 0, 0, 0}));
    EXPECT_EQ(m_file.ReadByte(), 0xFF);
}

TEST_F(CursorTest, RecordsReadBackWhatTheWriterWrote)
{
    const SwfRect rect{-200, 11000, -1, 8000};
    SwfMatrix matrix;
    matrix.scaleX = 0x18000;
    matrix.scaleY = -0x8000;
    matrix.rotateSkew0 = 7;
    matrix.rotateSkew1 = -3;
    matrix.translateX = -1234;
    matrix.translateY = 5678;
    SwfCxform cxform;
    cxform.redMult = 128;
    cxform.blueAdd = -40;
    cxform.alphaMult = 64;
    CBitWriter w;
    w.WriteRect(rect);
    w.WriteMatrix(matrix);
    w.WriteCxform(cxform, true);
    w.WriteByte(0xAB);
    Attach(w.Take());

    SwfRect rectRead;
    SwfMatrix matrixRead;
    SwfCxform cxformRead;
    m_file.ReadRect(rectRead);
    m_file.ReadMatrix(matrixRead);
    m_file.ReadCxform(cxformRead, true);
    EXPECT_EQ(rectRead, rect);
    EXPECT_EQ(matrixRead, matrix);
    EXPECT_EQ(cxformRead, cxform);
    EXPECT_EQ(m_file.ReadByte(), 0xAB);
}

TEST_F(CursorTest, PlainMatrixAndCxformTakeOneByteEach)
{
    Attach({0x00, 0x00, 0x77});
    SwfMatrix matrix{1, 2, 3, 4, 5, 6};
    m_file.ReadMatrix(matrix);
    EXPECT_EQ(matrix, SwfMatrix{});
    SwfCxform cxform{1, 2, 3, 4, 5, 6, 7, 8};
    m_file.ReadCxform(cxform, true);
    EXPECT_EQ(cxform, SwfCxform{});
    EXPECT_EQ(m_file.ReadByte(), 0x77);
}

TEST_F(CursorTest, PlainCxformKeepsTheAlphaDefaults)
{
    // Add terms only, 8 bits: red +1, green -1, blue +2; no alpha term is read.
    CBitWriter w;
    w.WriteBits(1, 1);
    w.WriteBits(0, 1);
    w.WriteBits(8, 4);
    w.WriteSBits(1, 8);
    w.WriteSBits(-1, 8);
    w.WriteSBits(2, 8);
    w.WriteByte(0x55);
    Attach(w.Take());
    SwfCxform cx;
    m_file.ReadCxform(cx, false);
    EXPECT_EQ(cx, (SwfCxform{256, 0, 256, 1, 256, -1, 256, 2}));
    EXPECT_EQ(m_file.ReadByte(), 0x55);
}

TEST_F(CursorTest, StringsAreSkippedWithTheirTerminator)
{
    Attach({0x00, 'a', 'b', 0x00, 0x09});
    m_file.SkipString();
    EXPECT_EQ(m_file.Pos(), 1u);
    m_file.SkipString();
    EXPECT_EQ(m_file.ReadByte(), 0x09);
}

TEST_F(CursorTest, ReadsPastTheEndYieldZerosAndStayInside)
{
    Attach({0xFF});
    EXPECT_EQ(m_file.ReadDWord(), 0xFFu);
    EXPECT_EQ(m_file.ReadBits(31), 0u);
    m_file.SkipBytes(0xFFFFFFFF);
    m_file.SkipString();
    EXPECT_EQ(m_file.Pos(), 1u);
    SwfRect rect;
    m_file.ReadRect(rect);
    EXPECT_EQ(rect, (SwfRect{0, 0, 0, 0}));
}

} // namespace
} // namespace tintor
