#include "CaseName.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace tunecrate {
namespace {

using test::PrintTo;
using Bytes = std::vector<unsigned char>;

const std::filesystem::path resourceDir{TUNECRATE_RESOURCE_DIR};
constexpr std::size_t imageCount = 9;
constexpr std::size_t directoryStart = 6;
constexpr std::size_t directoryEntrySize = 16;
constexpr std::size_t infoHeaderSize = 40;
constexpr std::array<unsigned char, 8> pngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t le(const Bytes& data, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = value << 8 | data.at(at + i);
    }
    return value;
}

std::uint32_t be32(const Bytes& data, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = value << 8 | data.at(at + i);
    }
    return value;
}

bool startsWithPng(const Bytes& data, std::size_t at)
{
    for (std::size_t i = 0; i < pngSignature.size(); ++i) {
        if (at + i >= data.size() || data[at + i] != pngSignature[i]) {
            return false;
        }
    }
    return true;
}

// Bitmap rows are padded to whole 32-bit words.
std::size_t rowBytes(std::size_t width, std::size_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

const Bytes& icoFile()
{
    static const Bytes data = readFile(resourceDir / "tunecrate.ico");
    return data;
}

TEST(IcoFileTest, HoldsNineImagesStoredBackToBack)
{
    const Bytes& ico = icoFile();
    ASSERT_GE(ico.size(), directoryStart + imageCount * directoryEntrySize);
    EXPECT_EQ(le(ico, 0, 2), 0u);
    EXPECT_EQ(le(ico, 2, 2), 1u) << "resource type 1 is an icon";
    ASSERT_EQ(le(ico, 4, 2), imageCount);

    std::size_t expectedOffset = directoryStart + imageCount * directoryEntrySize;
    for (std::size_t i = 0; i < imageCount; ++i) {
        const std::size_t entry = directoryStart + i * directoryEntrySize;
        EXPECT_EQ(le(ico, entry + 12, 4), expectedOffset) << "image " << i;
        expectedOffset += le(ico, entry + 8, 4);
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

struct EntryCase {
    const char* name;
    std::size_t index;
    std::size_t size;
    std::size_t bits;
};

class IcoEntryTest : public testing::TestWithParam<EntryCase> {};

TEST_P(IcoEntryTest, IsAnUncompressedBitmapWithItsMask)
{
    const EntryCase& c = GetParam();
    const Bytes& ico = icoFile();
    const std::size_t entry = directoryStart + c.index * directoryEntrySize;
    ASSERT_LE(entry + directoryEntrySize, ico.size());

    EXPECT_EQ(ico[entry], c.size % 256) << "256 is written as 0";
    EXPECT_EQ(ico[entry + 1], c.size % 256);
    EXPECT_EQ(ico[entry + 2], 0u) << "colour count stays 0 from 256 colours on";
    EXPECT_EQ(le(ico, entry + 4, 2), 1u);
    EXPECT_EQ(le(ico, entry + 6, 2), c.bits);
    const std::size_t length = le(ico, entry + 8, 4);
    const std::size_t at = le(ico, entry + 12, 4);
    ASSERT_LE(at + length, ico.size());
    ASSERT_FALSE(startsWithPng(ico, at)) << "PNG-compressed entry";

    EXPECT_EQ(le(ico, at, 4), infoHeaderSize);
    EXPECT_EQ(le(ico, at + 4, 4), c.size);
    EXPECT_EQ(le(ico, at + 8, 4), 2 * c.size) << "the height counts colours and mask";
    EXPECT_EQ(le(ico, at + 12, 2), 1u);
    EXPECT_EQ(le(ico, at + 14, 2), c.bits);
    EXPECT_EQ(le(ico, at + 16, 4), 0u) << "compressed bitmap";

    const std::size_t paletteBytes = c.bits == 8 ? 256 * 4 : 0;
    const std::size_t colourRow = rowBytes(c.size, c.bits);
    const std::size_t maskRow = rowBytes(c.size, 1);
    ASSERT_EQ(length, infoHeaderSize + paletteBytes + c.size * (colourRow + maskRow))
        << "the AND mask follows the colour bitmap";

    const std::size_t palette = at + infoHeaderSize;
    const std::size_t colours = palette + paletteBytes;
    const std::size_t mask = colours + c.size * colourRow;
    std::size_t masked = 0;
    for (std::size_t y = 0; y < c.size; ++y) {
        for (std::size_t x = 0; x < c.size; ++x) {
            const bool hidden = (ico[mask + y * maskRow + x / 8] & (0x80 >> (x % 8))) != 0;
            masked += hidden ? 1 : 0;
            const std::size_t pixel = colours + y * colourRow + x * c.bits / 8;
            if (c.bits == 32) {
                ASSERT_EQ(hidden, ico[pixel + 3] == 0)
                    << "mask and alpha disagree at " << x << "," << y;
            } else if (hidden) {
                // A masked pixel must draw black, or the screen behind it gets tinted.
                ASSERT_EQ(le(ico, palette + 4u * ico[pixel], 3), 0u) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(masked, 0u) << "no transparent pixel";
    EXPECT_LT(masked, c.size * c.size) << "nothing visible";
}

INSTANTIATE_TEST_SUITE_P(
    NineImages, IcoEntryTest,
    testing::Values(EntryCase{"Palette48", 0, 48, 8}, EntryCase{"Palette32", 1, 32, 8},
                    EntryCase{"Palette24", 2, 24, 8}, EntryCase{"Palette16", 3, 16, 8},
                    EntryCase{"Alpha256", 4, 256, 32}, EntryCase{"Alpha48", 5, 48, 32},
                    EntryCase{"Alpha32", 6, 32, 32}, EntryCase{"Alpha24", 7, 24, 32},
                    EntryCase{"Alpha16", 8, 16, 32}),
    test::CaseName());

class HicolorIconTest : public testing::TestWithParam<std::size_t> {};

TEST_P(HicolorIconTest, IsARgbaPngOfItsSize)
{
    const std::string side = std::to_string(GetParam());
    const Bytes png =
        readFile(resourceDir / "icons/hicolor" / (side + "x" + side) / "apps/tunecrate.png");
    ASSERT_TRUE(startsWithPng(png, 0));
    ASSERT_GE(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(be32(png, 16), GetParam());
    EXPECT_EQ(be32(png, 20), GetParam());
    EXPECT_EQ(png[24], 8u);
    EXPECT_EQ(png[25], 6u) << "colour type RGBA, so the icon keeps its transparency";
}

INSTANTIATE_TEST_SUITE_P(ThemeSizes, HicolorIconTest,
                         testing::Values(16u, 24u, 32u, 48u, 64u, 128u, 256u),
                         [](const testing::TestParamInfo<std::size_t>& row) {
                             return "Size" + std::to_string(row.param);
                         });

} // namespace
} // namespace tunecrate
