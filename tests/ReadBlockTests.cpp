// Decoding of single blocks: stored, raw DEFLATE, other methods, and damaged blocks.
#include "support/ArchiveBytes.h"

#include <gtest/gtest.h>

namespace {

// An archive whose only entry, x in the root folder, is the given block.
std::string ArchiveWithEntry(const std::string& block)
{
    const std::string folders = Block("\r\n");
    const std::string keys = Block("  x\r\n");
    const auto offset = static_cast<std::int32_t>(8 + folders.size() + 2 + keys.size() + 4);
    return ArchiveOf(folders, Le16(0), keys, Le32(offset)) + block;
}

std::string DecodeEntry(const std::string& block)
{
    auto archive = OpenBytes(ArchiveWithEntry(block));
    return Extract(*archive, "x");
}

// Hand-made DEFLATE bits: one final fixed-Huffman block holding "a", then end of block.
const std::string FixedHuffmanA = std::string("\x4b\x04\x00", 3);

}

TEST(ReadBlock, StoredPayloadIsTheContent)
{
    EXPECT_EQ(DecodeEntry(Block(std::string("a\0b", 3))), std::string("a\0b", 3));
    EXPECT_EQ(DecodeEntry(Block("")), "");
}

TEST(ReadBlock, DeflatedPayloadIsInflated)
{
    const std::string content(100000, 'z');
    EXPECT_EQ(DecodeEntry(DeflatedBlock(content)), content);
    EXPECT_EQ(DecodeEntry(Block(FixedHuffmanA, 1)), "a");
}

TEST(ReadBlock, StoredDeflateBlockGivesItsBytesUnchanged)
{
    // Final stored DEFLATE block: BFINAL=1 BTYPE=00, LEN=5, NLEN=~5, then the bytes.
    const std::string stored = std::string("\x01\x05\x00\xfa\xff", 5) + "hello";
    EXPECT_EQ(DecodeEntry(Block(stored, 1)), "hello");
}

TEST(ReadBlock, BytesAfterTheFinalDeflateBlockAreIgnored)
{
    EXPECT_EQ(DecodeEntry(Block(RawDeflate("content") + "trailing junk", 1)), "content");
}

TEST(ReadBlock, MethodIsTheLowFourBitsOfTheFlags)
{
    EXPECT_EQ(DecodeEntry(Block(RawDeflate("deflated"), 0x0011)), "deflated");
    EXPECT_EQ(DecodeEntry(Block("anything", 2)), "");
    EXPECT_EQ(DecodeEntry(Block("anything", 0x0012)), "");
    EXPECT_EQ(DecodeEntry(Block("anything", 15)), "");
    EXPECT_EQ(DecodeEntry(Block("kept", 0xFFF0)), "kept");
}

TEST(ReadBlock, DamagedDeflateStreamsFailWithTheDecodersDescription)
{
    EXPECT_THROW(DecodeEntry(Block("", 1)), EDecompressionError);
    const std::string whole = RawDeflate(std::string(5000, 'q') + "tail");
    EXPECT_THROW(DecodeEntry(Block(whole.substr(0, whole.size() / 2), 1)), EDecompressionError);
    try {
        DecodeEntry(Block("\x07", 1)); // BFINAL=1, BTYPE=11: reserved
        FAIL() << "block type 3 decoded";
    } catch (const EDecompressionError& e) {
        EXPECT_STREQ(e.what(), "invalid block type");
    }
    const std::string badLengths = std::string("\x01\x05\x00\x00\x00", 5) + "hello";
    EXPECT_THROW(DecodeEntry(Block(badLengths, 1)), EDecompressionError);
}

TEST(ReadBlock, PayloadCutShortByTheEndOfTheFileIsAReadError)
{
    const std::string block = Block("0123456789");
    EXPECT_THROW(DecodeEntry(block.substr(0, block.size() - 1)), EReadError);
    EXPECT_THROW(DecodeEntry(Block(RawDeflate("zz")).substr(0, 7)), EReadError);
}

TEST(ReadBlock, ImpossibleSizesFailBeforeAnythingIsAllocated)
{
    for (const std::int32_t size : {-1, INT32_MIN, INT32_MAX, 1 << 30}) {
        SCOPED_TRACE(size);
        EXPECT_THROW(DecodeEntry(Le32(size) + Le16(0) + "short"), EReadError);
        EXPECT_THROW(DecodeEntry(Le32(size) + Le16(1) + "short"), EReadError);
    }
    try {
        DecodeEntry(Le32(-5) + Le16(0));
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

TEST(ReadBlock, HeaderCutShortIsAReadError)
{
    EXPECT_THROW(DecodeEntry("\x05\x00\x00"), EReadError);
}
