// Host tests of platform/icon_dir: reading an .ico image directory built here
// byte by byte, refusing malformed ones, and the MainWindowIcon choice rule.
#include "platform/icon_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width, height, colours, bits;
};

void put16(Bytes& out, unsigned v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Image data stand-in: the reader only checks where the bytes are.
std::uint32_t image_bytes(const Image& im) { return 40 + std::uint32_t(im.width) * 3 + im.bits; }

// An .ico file: ICONDIR, one ICONDIRENTRY per image, then the images.
Bytes ico(const std::vector<Image>& images) {
    Bytes out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const Image& im : images) {
        out.push_back(std::uint8_t(im.width == 256 ? 0 : im.width));
        out.push_back(std::uint8_t(im.height == 256 ? 0 : im.height));
        out.push_back(std::uint8_t(im.colours));
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, static_cast<unsigned>(im.bits));
        put32(out, image_bytes(im));
        put32(out, offset);
        offset += image_bytes(im);
    }
    for (const Image& im : images) out.insert(out.end(), image_bytes(im), std::uint8_t(im.bits));
    return out;
}

// The 14 images of ProgramIcon and MainWindowIcon, in their order. The
// colour count is as .ico files store it: 16 at 4 bpp, 0 at 8 and 32 bpp.
std::vector<Image> program_icon_images() {
    std::vector<Image> images;
    for (int s : {16, 32, 48}) images.push_back({s, s, 16, 4});
    for (int s : {16, 32, 48}) images.push_back({s, s, 0, 8});
    for (int s : {16, 24, 32, 48, 64, 72, 96, 128}) images.push_back({s, s, 0, 32});
    return images;
}

TEST(ReadIconDir, ReadsAllFourteenEntries) {
    const std::vector<Image> images = program_icon_images();
    const Bytes file = ico(images);
    const std::vector<IconEntry> entries = read_icon_dir(file.data(), file.size());
    ASSERT_EQ(entries.size(), 14u);
    std::uint32_t offset = 6 + 16 * 14;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i);
        EXPECT_EQ(entries[i].width, images[i].width);
        EXPECT_EQ(entries[i].height, images[i].height);
        EXPECT_EQ(entries[i].colour_count, images[i].colours);
        EXPECT_EQ(entries[i].bit_count, images[i].bits);
        EXPECT_EQ(entries[i].offset, offset);
        EXPECT_EQ(entries[i].size, image_bytes(images[i]));
        offset += image_bytes(images[i]);
    }
    EXPECT_EQ(offset, file.size());
}

TEST(ReadIconDir, ZeroWidthOrHeightMeans256) {
    const Bytes file = ico({{256, 256, 0, 32}, {256, 48, 0, 32}});
    const std::vector<IconEntry> entries = read_icon_dir(file.data(), file.size());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(file[6], 0);  // stored as 0
    EXPECT_EQ(entries[0].width, 256);
    EXPECT_EQ(entries[0].height, 256);
    EXPECT_EQ(entries[1].width, 256);
    EXPECT_EQ(entries[1].height, 48);
}

TEST(ReadIconDir, MalformedOrTruncatedIsEmpty) {
    const Bytes good = ico(program_icon_images());
    ASSERT_FALSE(read_icon_dir(good.data(), good.size()).empty());

    struct Row {
        const char* what;
        Bytes file;
    };
    std::vector<Row> rows;
    rows.push_back({"nothing", {}});
    rows.push_back({"header only, count 0", {0, 0, 1, 0, 0, 0}});
    rows.push_back({"five bytes", {0, 0, 1, 0, 1}});
    {
        Bytes b = good;
        b[0] = 1;
        rows.push_back({"reserved not 0", b});
    }
    {
        Bytes b = good;
        b[2] = 2;
        rows.push_back({"type 2 (a cursor)", b});
    }
    {
        Bytes b = good;
        b[2] = 0;
        rows.push_back({"type 0", b});
    }
    {
        Bytes b = good;
        b[4] = 200;  // more entries than the file holds
        rows.push_back({"count beyond the buffer", b});
    }
    {
        Bytes b = good;
        b[6 + 16 * 13 + 12] = 0xFF;  // last entry's offset, low byte
        b[6 + 16 * 13 + 13] = 0xFF;
        rows.push_back({"image offset past the end", b});
    }
    {
        Bytes b = good;
        for (int k = 0; k < 4; ++k) b[6 + 16 * 2 + 8 + k] = 0xFF;   // size 0xFFFFFFFF
        rows.push_back({"image size wraps the offset", b});
    }
    {
        Bytes b = good;
        for (int k = 0; k < 4; ++k) b[6 + 16 * 0 + 12 + k] = 0;  // offset 0
        rows.push_back({"image inside the directory", b});
    }
    {
        Bytes b = good;
        for (int k = 0; k < 4; ++k) b[6 + 16 * 5 + 8 + k] = 0;  // size 0
        rows.push_back({"empty image", b});
    }
    rows.push_back({"last image cut short", Bytes(good.begin(), good.end() - 1)});
    rows.push_back({"directory cut short", Bytes(good.begin(), good.begin() + 6 + 16 * 14 - 1)});
    rows.push_back({"header only", Bytes(good.begin(), good.begin() + 6)});

    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_TRUE(read_icon_dir(r.file.data(), r.file.size()).empty())
            << "read " << read_icon_dir(r.file.data(), r.file.size()).size() << " entries";
    }
    EXPECT_TRUE(read_icon_dir(nullptr, 100).empty());
}

TEST(ReadIconDir, EveryTruncationIsEmpty) {
    const Bytes good = ico(program_icon_images());
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(testing::Message() << "cut to " << n);
        EXPECT_TRUE(read_icon_dir(good.data(), n).empty());
    }
}

TEST(ChooseIconImage, MainWindowIconRule) {
    const Bytes file = ico(program_icon_images());
    const std::vector<IconEntry> entries = read_icon_dir(file.data(), file.size());
    ASSERT_EQ(entries.size(), 14u);
    EXPECT_EQ(choose_icon_image(entries, 32), 1) << "large icon: the 16-colour 32x32";
    EXPECT_EQ(choose_icon_image(entries, 16), 0) << "small icon: the 16-colour 16x16";
    EXPECT_EQ(choose_icon_image(entries, 48), 2);
    EXPECT_EQ(choose_icon_image(entries, 24), 13) << "no 16-colour 24x24: the last image";
}

TEST(ChooseIconImage, TableOfDirectories) {
    struct Row {
        const char* what;
        std::vector<Image> images;
        int width;
        int expected;
    };
    const Row rows[] = {
        {"no 16-colour image: the last", {{16, 16, 0, 8}, {32, 32, 0, 8}, {32, 32, 0, 32}}, 32,
         2},
        {"no image of that width: the last", {{16, 16, 16, 4}, {48, 48, 16, 4}}, 32, 1},
        {"a 2-colour image does not count", {{32, 32, 2, 1}, {32, 32, 16, 4}, {16, 16, 0, 32}},
         32, 1},
        {"more than 16 colours counts", {{16, 16, 0, 32}, {32, 32, 255, 8}}, 32, 1},
        {"the first match wins", {{32, 32, 16, 4}, {32, 32, 16, 4}}, 32, 0},
        {"one image", {{48, 48, 0, 32}}, 16, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const Bytes file = ico(r.images);
        const std::vector<IconEntry> entries = read_icon_dir(file.data(), file.size());
        ASSERT_EQ(entries.size(), r.images.size());
        EXPECT_EQ(choose_icon_image(entries, r.width), r.expected);
    }
    EXPECT_EQ(choose_icon_image({}, 32), -1);
}

}  // namespace
