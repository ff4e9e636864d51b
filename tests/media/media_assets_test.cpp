// Host checks of the committed media files: each picture's PNG header and
// transparency, both icons' 14 images (directory, DIBs decoded to the last
// pixel), and the sign-in sound's RIFF layout and samples.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/icon_dir.h"
#include "platform/image.h"

namespace {

using Buffer = std::vector<std::uint8_t>;

Buffer read_media(const std::string& name) {
    std::ifstream in(std::string(TALLOWIN_SOURCE_DIR) + "/media/" + name, std::ios::binary);
    return Buffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t be32(const Buffer& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 |
           std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}
std::uint16_t le16(const Buffer& b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}
std::uint32_t le32(const Buffer& b, std::size_t at) {
    return std::uint32_t(le16(b, at)) | std::uint32_t(le16(b, at + 2)) << 16;
}
std::int32_t le32s(const Buffer& b, std::size_t at) { return std::int32_t(le32(b, at)); }
std::string tag(const Buffer& b, std::size_t at) {
    return std::string(reinterpret_cast<const char*>(&b[at]), 4);
}

std::uint32_t crc32_of(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// ------------------------------------------------------------------ pictures

struct PictureCase {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    int colour_type;  // 6: RGBA, 2: RGB
    bool transparent; // has fully transparent and fully opaque pixels
};

const PictureCase kPictures[] = {
    {"MainPicture.png", 1072, 1500, 6, true},
    {"AuthorPicture.png", 1500, 1500, 6, true},
    {"ContactPicture.png", 540, 740, 2, false},
};

// Every RGBA pixel of a PNG, through libpng's simplified reader.
bool decode_rgba(const Buffer& file, std::uint32_t* w, std::uint32_t* h, Buffer* rgba) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba->assign(PNG_IMAGE_SIZE(image), 0);
    *w = image.width;
    *h = image.height;
    const bool ok = png_image_finish_read(&image, nullptr, rgba->data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

TEST(MediaPictures, HeaderChunksAndPixels) {
    for (const PictureCase& c : kPictures) {
        SCOPED_TRACE(c.name);
        const Buffer png = read_media(c.name);
        ASSERT_GT(png.size(), 8u + 25u + 12u) << "missing or empty";
        EXPECT_LT(png.size(), 3u * 1024 * 1024) << "larger than a few MB";
        const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        ASSERT_EQ(0, std::memcmp(png.data(), signature, 8));

        // IHDR first, with the size, depth and colour type the program expects.
        ASSERT_EQ(13u, be32(png, 8));
        ASSERT_EQ("IHDR", tag(png, 12));
        EXPECT_EQ(c.width, be32(png, 16));
        EXPECT_EQ(c.height, be32(png, 20));
        EXPECT_EQ(8, png[24]) << "bit depth";
        EXPECT_EQ(c.colour_type, png[25]) << "colour type";
        EXPECT_EQ(0, png[26]) << "compression";
        EXPECT_EQ(0, png[27]) << "filter";
        EXPECT_EQ(0, png[28]) << "interlace";

        // Every chunk whole, its CRC right, IEND last; nothing that dates the
        // file (make_media must give the same bytes twice).
        std::size_t at = 8;
        std::string last;
        while (at + 12 <= png.size()) {
            const std::uint32_t len = be32(png, at);
            ASSERT_LE(at + 12 + len, png.size()) << "chunk " << tag(png, at + 4);
            last = tag(png, at + 4);
            EXPECT_NE("tIME", last);
            EXPECT_EQ(crc32_of(&png[at + 4], len + 4), be32(png, at + 8 + len))
                << "CRC of " << last;
            at += 12 + len;
        }
        EXPECT_EQ(png.size(), at) << "bytes after the last chunk";
        EXPECT_EQ("IEND", last);

        std::uint32_t w = 0, h = 0;
        Buffer rgba;
        ASSERT_TRUE(decode_rgba(png, &w, &h, &rgba)) << "libpng cannot decode it";
        ASSERT_EQ(c.width, w);
        ASSERT_EQ(c.height, h);
        std::size_t clear = 0, solid = 0;
        std::set<std::uint32_t> colours;
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            clear += rgba[i + 3] == 0;
            solid += rgba[i + 3] == 255;
            if (colours.size() < 64)
                colours.insert(std::uint32_t(rgba[i]) << 16 | rgba[i + 1] << 8 | rgba[i + 2]);
        }
        const std::size_t pixels = std::size_t(w) * h;
        if (c.transparent) {
            EXPECT_GT(clear, pixels / 10) << "a transparent background";
            EXPECT_GT(solid, pixels / 5) << "an opaque figure";
            EXPECT_EQ(0, rgba[3]) << "top left corner is background";
        } else {
            EXPECT_EQ(pixels, solid);
        }
        EXPECT_GE(colours.size(), 16u) << "a picture, not a flat fill";

        // The program's own decoder agrees, and transparent parts take the
        // picture box's background colour.
        const std::uint32_t btnface = 0xF0F0F0;
        const OpaqueImage shown = decode_png_on_background(png.data(), png.size(), btnface);
        ASSERT_EQ(int(c.width), shown.width);
        ASSERT_EQ(int(c.height), shown.height);
        if (c.transparent) {
            EXPECT_EQ(0xF0, shown.bgrx[0]);
            EXPECT_EQ(0xF0, shown.bgrx[1]);
            EXPECT_EQ(0xF0, shown.bgrx[2]);
        }
    }
}

// ------------------------------------------------------------------ icons

struct IconImageCase {
    int size;
    int bits;
};

// The 14 images of both icons, in directory order.
const IconImageCase kIconImages[] = {
    {16, 4},  {32, 4},  {48, 4},  {16, 8},  {32, 8},  {48, 8},  {16, 32},
    {24, 32}, {32, 32}, {48, 32}, {64, 32}, {72, 32}, {96, 32}, {128, 32},
};

// One image of an icon, decoded from its DIB as a Windows loader reads it.
struct DecodedIcon {
    int size = 0;
    std::vector<std::uint32_t> argb;  // rows top to bottom; alpha 0 = clear
};

// Checks one BITMAPINFOHEADER DIB and decodes it. Reports failures itself.
void decode_dib(const Buffer& ico, std::size_t at, std::size_t length, const IconImageCase& c,
                DecodedIcon* out) {
    ASSERT_GE(length, 40u);
    EXPECT_EQ(40u, le32(ico, at)) << "biSize";
    EXPECT_EQ(c.size, le32s(ico, at + 4)) << "biWidth";
    EXPECT_EQ(2 * c.size, le32s(ico, at + 8)) << "biHeight: XOR and AND bitmaps";
    EXPECT_EQ(1, le16(ico, at + 12)) << "biPlanes";
    ASSERT_EQ(c.bits, le16(ico, at + 14)) << "biBitCount";
    EXPECT_EQ(0u, le32(ico, at + 16)) << "biCompression: BI_RGB, not PNG";
    const std::uint32_t used = le32(ico, at + 32);
    std::size_t palette = 0;
    if (c.bits <= 8) {
        palette = used ? used : 1u << c.bits;
        ASSERT_LE(palette, 1u << c.bits) << "biClrUsed";
    } else {
        EXPECT_EQ(0u, used);
    }
    const std::size_t stride = ((c.size * c.bits + 31) / 32) * 4;
    const std::size_t mask_stride = ((c.size + 31) / 32) * 4;
    const std::size_t expect = 40 + 4 * palette + (stride + mask_stride) * c.size;
    ASSERT_EQ(expect, length) << "header, palette, XOR and AND bitmaps fill the image exactly";
    const std::uint32_t image_bytes = le32(ico, at + 20);
    EXPECT_TRUE(image_bytes == 0 || image_bytes == (stride + mask_stride) * c.size)
        << "biSizeImage " << image_bytes;

    const std::size_t pal = at + 40;
    const std::size_t xor_at = pal + 4 * palette;
    const std::size_t and_at = xor_at + stride * c.size;
    out->size = c.size;
    out->argb.assign(std::size_t(c.size) * c.size, 0);
    std::set<std::uint32_t> colours;
    std::size_t clear = 0, mismatched_mask = 0;
    for (int y = 0; y < c.size; ++y) {
        const std::size_t row = xor_at + stride * (c.size - 1 - y);  // bottom-up
        const std::size_t mrow = and_at + mask_stride * (c.size - 1 - y);
        for (int x = 0; x < c.size; ++x) {
            const bool masked = ico[mrow + x / 8] & (0x80 >> (x % 8));
            std::uint32_t argb = 0;
            if (c.bits == 32) {
                const std::size_t p = row + 4 * x;
                argb = std::uint32_t(ico[p + 3]) << 24 | ico[p + 2] << 16 | ico[p + 1] << 8 | ico[p];
                // The AND mask matches the alpha, for loaders that use it.
                mismatched_mask += masked != (ico[p + 3] < 128);
            } else {
                unsigned index = c.bits == 8 ? ico[row + x]
                                             : (x % 2 ? ico[row + x / 2] & 15 : ico[row + x / 2] >> 4);
                ASSERT_LT(index, palette) << "pixel " << x << "," << y;
                const std::size_t q = pal + 4 * index;
                if (!masked) argb = 0xFF000000u | ico[q + 2] << 16 | ico[q + 1] << 8 | ico[q];
            }
            out->argb[std::size_t(y) * c.size + x] = argb;
            if ((argb >> 24) == 0) ++clear;
            else colours.insert(argb & 0xFFFFFF);
        }
    }
    EXPECT_EQ(0u, mismatched_mask) << "AND mask bits that disagree with the alpha";
    const std::size_t pixels = std::size_t(c.size) * c.size;
    EXPECT_GT(clear, 0u) << "round: transparent corners";
    EXPECT_LT(clear, pixels / 2) << "mostly portrait";
    EXPECT_EQ(0u, out->argb[0] >> 24) << "top left corner is clear";
    EXPECT_GE(colours.size(), 8u) << "a drawing in many colours";
    if (c.bits <= 8) {
        EXPECT_LE(colours.size(), palette);
    }
}

std::vector<DecodedIcon> check_icon(const char* name) {
    SCOPED_TRACE(name);
    std::vector<DecodedIcon> images;
    const Buffer ico = read_media(name);
    [&] {
        ASSERT_GT(ico.size(), 6u + 14u * 16u) << "missing or truncated";
        EXPECT_EQ(0, le16(ico, 0)) << "reserved";
        EXPECT_EQ(1, le16(ico, 2)) << "type: icon";
        ASSERT_EQ(14, le16(ico, 4)) << "image count";
        std::size_t next = 6 + 14 * 16;  // images follow the directory, in order, without gaps
        for (int i = 0; i < 14; ++i) {
            const IconImageCase& c = kIconImages[i];
            SCOPED_TRACE(testing::Message() << "image " << i << ": " << c.size << " px, "
                                            << c.bits << " bpp");
            const std::size_t e = 6 + 16 * std::size_t(i);
            EXPECT_EQ(c.size, ico[e]) << "width";
            EXPECT_EQ(c.size, ico[e + 1]) << "height";
            EXPECT_EQ(c.bits == 4 ? 16 : 0, ico[e + 2]) << "colour count";
            EXPECT_EQ(0, ico[e + 3]) << "reserved";
            EXPECT_EQ(1, le16(ico, e + 4)) << "planes";
            EXPECT_EQ(c.bits, le16(ico, e + 6)) << "bit count";
            const std::uint32_t length = le32(ico, e + 8);
            const std::uint32_t offset = le32(ico, e + 12);
            ASSERT_EQ(next, offset);
            ASSERT_LE(std::size_t(offset) + length, ico.size());
            next = std::size_t(offset) + length;
            DecodedIcon image;
            decode_dib(ico, offset, length, c, &image);
            images.push_back(image);
        }
        EXPECT_EQ(ico.size(), next) << "bytes after the last image";

        // The program's directory reader takes it whole, and MainWindow's
        // choice rule finds the 16-colour images.
        const std::vector<IconEntry> entries = read_icon_dir(ico.data(), ico.size());
        ASSERT_EQ(14u, entries.size());
        EXPECT_EQ(1, choose_icon_image(entries, 32));
        EXPECT_EQ(0, choose_icon_image(entries, 16));
    }();
    return images;
}

// How far apart two images of one size are: the share of pixels that differ.
double difference(const DecodedIcon& a, const DecodedIcon& b) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.argb.size(); ++i) n += a.argb[i] != b.argb[i];
    return double(n) / a.argb.size();
}

TEST(MediaIcons, ProgramIconAndMainWindowIcon) {
    const std::vector<DecodedIcon> program = check_icon("ProgramIcon.ico");
    const std::vector<DecodedIcon> main_window = check_icon("MainWindowIcon.ico");
    ASSERT_EQ(14u, program.size());
    ASSERT_EQ(14u, main_window.size());
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(testing::Message() << "image " << i);
        // The same portrait with a banner added: the lower part differs, the
        // top rows (ears, hair) are the same.
        const double d = difference(program[i], main_window[i]);
        EXPECT_GT(d, 0.08) << "the banner shows";
        EXPECT_LT(d, 0.5) << "the portrait stays";
        const int size = program[i].size;
        for (int y = 0; y < size / 3; ++y)
            for (int x = 0; x < size; ++x)
                ASSERT_EQ(program[i].argb[y * size + x], main_window[i].argb[y * size + x])
                    << "top third differs at " << x << "," << y;
    }
    // The 16-colour and 256-colour images of one size show the same drawing:
    // their transparency agrees almost everywhere.
    for (int i = 0; i < 3; ++i) {
        const DecodedIcon& a = program[i];
        const DecodedIcon& b = program[i + 3];
        std::size_t n = 0;
        for (std::size_t p = 0; p < a.argb.size(); ++p) n += (a.argb[p] >> 24 != 0) != (b.argb[p] >> 24 != 0);
        EXPECT_LT(double(n) / a.argb.size(), 0.08) << a.size << " px";
    }
}

// ------------------------------------------------------------------ sound

TEST(MediaSound, SignInSoundLayoutAndSamples) {
    const Buffer wav = read_media("SignInSound.wav");
    ASSERT_EQ(110698u, wav.size());
    EXPECT_EQ("RIFF", tag(wav, 0));
    EXPECT_EQ(110698u - 8, le32(wav, 4));
    EXPECT_EQ("WAVE", tag(wav, 8));

    // Chunks in order: fmt, then LIST/INFO, then data, which ends the file.
    std::vector<std::string> order;
    std::size_t at = 12, data_at = 0, data_len = 0;
    while (at + 8 <= wav.size()) {
        const std::string id = tag(wav, at);
        const std::uint32_t len = le32(wav, at + 4);
        ASSERT_LE(at + 8 + len, wav.size()) << "chunk " << id;
        order.push_back(id);
        if (id == "fmt ") {
            ASSERT_EQ(16u, len);
            EXPECT_EQ(1, le16(wav, at + 8)) << "PCM";
            EXPECT_EQ(2, le16(wav, at + 10)) << "channels";
            EXPECT_EQ(22050u, le32(wav, at + 12)) << "samples per second";
            EXPECT_EQ(88200u, le32(wav, at + 16)) << "bytes per second";
            EXPECT_EQ(4, le16(wav, at + 20)) << "block align";
            EXPECT_EQ(16, le16(wav, at + 22)) << "bits per sample";
        } else if (id == "LIST") {
            EXPECT_EQ("INFO", tag(wav, at + 8));
            // Its sub-chunks fill it exactly.
            std::size_t p = at + 12;
            while (p + 8 <= at + 8 + len) p += 8 + ((le32(wav, p + 4) + 1) & ~1u);
            EXPECT_EQ(at + 8 + len, p) << "INFO sub-chunks";
        } else if (id == "data") {
            data_at = at + 8;
            data_len = len;
        }
        at += 8 + ((len + 1) & ~std::size_t(1));
    }
    EXPECT_EQ(wav.size(), at);
    EXPECT_EQ((std::vector<std::string>{"fmt ", "LIST", "data"}), order);
    ASSERT_EQ(110592u, data_len);
    ASSERT_EQ(wav.size(), data_at + data_len);

    const std::size_t frames = data_len / 4;
    EXPECT_EQ(27648u, frames);
    EXPECT_NEAR(1.25, double(frames) / 22050, 0.005) << "duration in seconds";
    auto sample = [&](std::size_t frame, int channel) {
        return int(std::int16_t(le16(wav, data_at + 4 * frame + 2 * channel)));
    };
    int peak = 0;
    long long sum = 0;
    for (std::size_t f = 0; f < frames; ++f)
        for (int ch = 0; ch < 2; ++ch) {
            peak = std::max(peak, std::abs(sample(f, ch)));
            sum += sample(f, ch);
        }
    EXPECT_LT(peak, 32767 * 7 / 10) << "below full scale, not startling";
    EXPECT_GT(peak, 32767 / 5) << "loud enough to hear";
    EXPECT_LT(std::abs(double(sum) / (2 * frames)), 50.0) << "no DC offset";
    // No click: the clip starts and ends at silence and gets there smoothly.
    for (std::size_t f = 0; f < 8; ++f)
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_LE(std::abs(sample(f, ch)), 256) << "frame " << f;
            EXPECT_LE(std::abs(sample(frames - 1 - f, ch)), 256) << "frame from end " << f;
        }
    EXPECT_EQ(0, sample(0, 0));
    EXPECT_EQ(0, sample(0, 1));
    EXPECT_EQ(0, sample(frames - 1, 0));
    EXPECT_EQ(0, sample(frames - 1, 1));
    int jump = 0;
    for (std::size_t f = 1; f < frames; ++f)
        for (int ch = 0; ch < 2; ++ch) jump = std::max(jump, std::abs(sample(f, ch) - sample(f - 1, ch)));
    EXPECT_LT(jump, 32767 / 2) << "largest step between neighbouring samples";
}

}  // namespace
