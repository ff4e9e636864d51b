// Host tests of platform/image: PNG decoding of every colour type and depth
// (PNGs built here with libpng's write API), the alpha blend in double,
// broken input, centre-mode geometry and the smooth downscale.
#include "platform/image.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Building PNGs in memory -------------------------------------------

struct PngRecipe {
    int width = 1;
    int height = 1;
    int color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    int bit_depth = 8;
    bool interlaced = false;
    Bytes packed;                 // rows as PNG stores them (16-bit big-endian)
    std::vector<png_color> palette;
    Bytes trns_alpha;             // palette images: alpha per palette index
    bool trns_colour = false;     // gray/RGB images: one transparent colour
    png_color_16 trns_key{};
};

void write_to_vector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

[[noreturn]] void on_write_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }

int channels_of(int color_type) {
    switch (color_type) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette
    }
}

std::size_t row_bytes(const PngRecipe& s) {
    return (std::size_t(s.width) * channels_of(s.color_type) * s.bit_depth + 7) / 8;
}

// setjmp lives here with only trivial locals; the caller owns the vectors.
bool write_png_into(png_structp png, png_infop info, const PngRecipe& s, png_bytep* rows,
                    Bytes* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, write_to_vector, flush_nothing);
    png_set_IHDR(png, info, s.width, s.height, s.bit_depth, s.color_type,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) {
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    }
    if (!s.trns_alpha.empty()) {
        png_set_tRNS(png, info, s.trns_alpha.data(), static_cast<int>(s.trns_alpha.size()),
                     nullptr);
    }
    if (s.trns_colour) png_set_tRNS(png, info, nullptr, 0, &s.trns_key);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

Bytes encode_png(const PngRecipe& s) {
    const std::size_t stride = row_bytes(s);
    EXPECT_EQ(s.packed.size(), stride * s.height) << "test PNG data has the wrong size";
    Bytes copy = s.packed;
    copy.resize(stride * s.height);
    std::vector<png_bytep> rows(s.height);
    for (int y = 0; y < s.height; ++y) rows[y] = copy.data() + stride * y;

    Bytes out;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_write_error, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool ok = write_png_into(png, info, s, rows.data(), &out);
    png_destroy_write_struct(&png, &info);
    EXPECT_TRUE(ok) << "libpng refused to write the test PNG";
    return ok ? out : Bytes{};
}

PngRecipe rgba(int w, int h, Bytes pixels) {
    PngRecipe s;
    s.width = w;
    s.height = h;
    s.packed = std::move(pixels);
    return s;
}

OpaqueImage decode(const Bytes& png, std::uint32_t background = 0xF0F0F0) {
    return decode_png_on_background(png.data(), png.size(), background);
}

// Chunks of a PNG: offset of each chunk's length field, by type.
struct Chunk {
    std::size_t at;  // the length field
    std::uint32_t length;
    std::string type;
};

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void put_be32(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

std::vector<Chunk> chunks_of(const Bytes& png) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        Chunk c{at, be32(&png[at]), std::string(png.begin() + at + 4, png.begin() + at + 8)};
        chunks.push_back(c);
        at += 12 + c.length;
    }
    return chunks;
}

const Chunk* find_chunk(const std::vector<Chunk>& chunks, const std::string& type) {
    for (const Chunk& c : chunks) {
        if (c.type == type) return &c;
    }
    return nullptr;
}

// Rewrites IHDR's width and height and fixes its CRC, so the header is
// valid and only the size is absurd.
Bytes with_header_size(Bytes png, std::uint32_t width, std::uint32_t height) {
    const std::vector<Chunk> chunks = chunks_of(png);
    const Chunk* ihdr = find_chunk(chunks, "IHDR");
    EXPECT_NE(ihdr, nullptr);
    if (ihdr == nullptr) return png;
    std::uint8_t* p = &png[ihdr->at];
    put_be32(p + 8, width);
    put_be32(p + 12, height);
    put_be32(p + 8 + ihdr->length, std::uint32_t(crc32(0, p + 4, 4 + ihdr->length)));
    return png;
}

Bytes bgrx_of(std::initializer_list<std::uint8_t> bgr_triples) {
    Bytes out;
    int i = 0;
    for (std::uint8_t v : bgr_triples) {
        out.push_back(v);
        if (++i % 3 == 0) out.push_back(0);
    }
    return out;
}

std::string hex(const Bytes& bytes) {
    std::string s;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    return s;
}

// ---- Decoding every colour type -----------------------------------------

struct DecodeCase {
    const char* name;
    PngRecipe recipe;
    std::uint32_t background;
    Bytes expected_bgrx;
};

PngRecipe recipe(int w, int h, int type, int depth, Bytes packed) {
    PngRecipe s;
    s.width = w;
    s.height = h;
    s.color_type = type;
    s.bit_depth = depth;
    s.packed = std::move(packed);
    return s;
}

std::vector<DecodeCase> decode_cases() {
    std::vector<DecodeCase> cases;
    cases.push_back({"RGB 8 bit keeps colours, x byte 0",
                     recipe(2, 1, PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 200, 100, 50}), 0xF0F0F0,
                     bgrx_of({30, 20, 10, 50, 100, 200})});
    cases.push_back({"RGBA 8 bit: opaque kept, transparent is background",
                     recipe(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {10, 20, 30, 255, 200, 100, 50, 0}),
                     0x102030, bgrx_of({30, 20, 10, 0x30, 0x20, 0x10})});
    // 128/255*v + (1-128/255)*240 for v = 255, 0, 128: 247.53, 119.53, 183.78.
    cases.push_back({"RGBA 8 bit: half alpha over F0F0F0",
                     recipe(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {255, 0, 128, 128}), 0xF0F0F0,
                     bgrx_of({183, 119, 247})});
    cases.push_back({"gray 8 bit", recipe(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0x40, 0xFF}), 0,
                     bgrx_of({0x40, 0x40, 0x40, 255, 255, 255})});
    cases.push_back({"gray 1 bit", recipe(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0xB0}), 0,
                     bgrx_of({255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0,
                              0, 0, 0, 0, 0, 0, 0, 0, 0})});
    // 4-bit samples are scaled to 8 bits: 0x8 -> 0x88, 0xF -> 0xFF.
    cases.push_back({"gray 4 bit", recipe(2, 1, PNG_COLOR_TYPE_GRAY, 4, {0x8F}), 0,
                     bgrx_of({0x88, 0x88, 0x88, 0xFF, 0xFF, 0xFF})});
    cases.push_back({"gray 16 bit keeps the high byte",
                     recipe(1, 1, PNG_COLOR_TYPE_GRAY, 16, {0x12, 0xFE}), 0,
                     bgrx_of({0x12, 0x12, 0x12})});
    cases.push_back({"gray + alpha 8 bit",
                     recipe(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 0, 100, 255}), 0x0A0B0C,
                     bgrx_of({0x0C, 0x0B, 0x0A, 100, 100, 100})});
    cases.push_back({"RGBA 16 bit keeps the high bytes",
                     recipe(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16,
                          {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF}),
                     0, bgrx_of({0x9A, 0x56, 0x12})});
    cases.push_back({"RGB 16 bit", recipe(1, 1, PNG_COLOR_TYPE_RGB, 16, {1, 2, 3, 4, 5, 6}), 0,
                     bgrx_of({5, 3, 1})});
    {
        PngRecipe s = recipe(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2});
        s.palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
        s.trns_alpha = {0};  // index 0 transparent, the rest opaque
        cases.push_back({"palette 8 bit with tRNS", s, 0xAABBCC,
                         bgrx_of({0xCC, 0xBB, 0xAA, 6, 5, 4, 9, 8, 7})});
    }
    {
        PngRecipe s = recipe(4, 1, PNG_COLOR_TYPE_PALETTE, 2, {0x1B});  // 0,1,2,3
        s.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        cases.push_back({"palette 2 bit", s, 0xF0F0F0,
                         bgrx_of({0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0})});
    }
    {
        PngRecipe s = recipe(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6});
        s.trns_colour = true;
        s.trns_key.red = 4;
        s.trns_key.green = 5;
        s.trns_key.blue = 6;
        cases.push_back({"RGB with a tRNS colour key", s, 0x405060,
                         bgrx_of({3, 2, 1, 0x60, 0x50, 0x40})});
    }
    {
        PngRecipe s = recipe(1, 1, PNG_COLOR_TYPE_GRAY, 8, {7});
        s.trns_colour = true;
        s.trns_key.gray = 7;
        cases.push_back({"gray with a tRNS key", s, 0x405060, bgrx_of({0x60, 0x50, 0x40})});
    }
    return cases;
}

TEST(DecodePng, EveryColourTypeBecomesOpaqueBgrx) {
    for (const DecodeCase& c : decode_cases()) {
        SCOPED_TRACE(c.name);
        const OpaqueImage image = decode(encode_png(c.recipe), c.background);
        ASSERT_EQ(image.width, c.recipe.width);
        ASSERT_EQ(image.height, c.recipe.height);
        EXPECT_EQ(image.bgrx, c.expected_bgrx)
            << "actual " << hex(image.bgrx) << "\nexpected " << hex(c.expected_bgrx);
    }
}

// The blend, one 1x1 RGBA picture per row: grey v at alpha a over grey b.
// The expected values follow the double arithmetic in its written order,
// including where rounding drops just below an integer.
TEST(DecodePng, BlendIsComputedInDoubleAsWritten) {
    struct Row {
        int a, v, b, expected;
        const char* why;
    };
    const Row rows[] = {
        {0, 77, 240, 240, "alpha 0 gives the background"},
        {255, 77, 240, 77, "alpha 255 keeps the colour"},
        {128, 255, 0, 128, "128/255*255 = 128.0"},
        {128, 0, 255, 127, "(1-128/255)*255 = 127.0"},
        {128, 200, 100, 150, "150.196 truncates"},
        {64, 10, 240, 182, "182.27 truncates"},
        {200, 30, 240, 75, "75.29 truncates"},
        {1, 128, 240, 239, "239.56 truncates"},
        {254, 0, 255, 0, "0.9999999999999964, not 1"},
        {5, 3, 3, 2, "2.9999999999999996: v == b still drops by one"},
        {43, 255, 255, 254, "254.99999999999997"},
        {1, 255, 255, 255, "255.0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "a=" << r.a << " v=" << r.v << " b=" << r.b << ": "
                                        << r.why);
        const Bytes png = encode_png(rgba(1, 1, {std::uint8_t(r.v), std::uint8_t(r.v),
                                                 std::uint8_t(r.v), std::uint8_t(r.a)}));
        const std::uint32_t bg = std::uint32_t(r.b) * 0x010101;
        const OpaqueImage image = decode(png, bg);
        ASSERT_FALSE(image.empty());
        EXPECT_EQ(image.bgrx, bgrx_of({std::uint8_t(r.expected), std::uint8_t(r.expected),
                                       std::uint8_t(r.expected)}))
            << "actual " << hex(image.bgrx);
    }
}

TEST(DecodePng, BackgroundChannelsAreTakenFromRrGgBb) {
    // Each channel blends with its own background channel: alpha 51 (0.2).
    const Bytes png = encode_png(rgba(1, 1, {250, 150, 50, 51}));
    const OpaqueImage image = decode(png, 0x00FF80);  // R 0, G 255, B 128
    ASSERT_FALSE(image.empty());
    // R: 0.2*250 + 0.8*0 = 50; G: 0.2*150 + 0.8*255 = 234; B: 0.2*50 + 0.8*128 = 112.4
    EXPECT_EQ(image.bgrx, bgrx_of({112, 234, 50})) << "actual " << hex(image.bgrx);
}

TEST(DecodePng, InterlacedDecodesLikeNonInterlaced) {
    const int w = 13, h = 11;  // odd sizes exercise every Adam7 pass
    Bytes pixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            pixels.push_back(std::uint8_t(x * 19));
            pixels.push_back(std::uint8_t(y * 23));
            pixels.push_back(std::uint8_t(x * y));
            pixels.push_back(std::uint8_t((x + y) % 3 == 0 ? 255 : x * 20));
        }
    }
    PngRecipe plain = rgba(w, h, pixels);
    PngRecipe adam7 = plain;
    adam7.interlaced = true;
    const OpaqueImage a = decode(encode_png(plain));
    const OpaqueImage b = decode(encode_png(adam7));
    ASSERT_EQ(a.width, w);
    ASSERT_EQ(a.height, h);
    ASSERT_EQ(b.width, w);
    ASSERT_EQ(b.height, h);
    EXPECT_EQ(a.bgrx, b.bgrx);
    // Rows top to bottom, pixels B G R 0: (3, 0) and (4, 2) are opaque.
    const std::size_t at = (0 * w + 3) * 4;
    EXPECT_EQ(a.bgrx[at + 0], 0);       // B = x*y
    EXPECT_EQ(a.bgrx[at + 1], 0);       // G = y*23
    EXPECT_EQ(a.bgrx[at + 2], 3 * 19);  // R = x*19
    const std::size_t at2 = (std::size_t(2) * w + 4) * 4;  // (4, 2): alpha 255
    EXPECT_EQ(a.bgrx[at2 + 0], 8);
    EXPECT_EQ(a.bgrx[at2 + 1], 46);
    EXPECT_EQ(a.bgrx[at2 + 2], 76);
}

// ---- Broken input --------------------------------------------------------

Bytes small_rgba_png() {
    Bytes pixels;
    for (int i = 0; i < 6 * 5; ++i) {
        pixels.insert(pixels.end(), {std::uint8_t(i * 7), std::uint8_t(i * 3), 9,
                                     std::uint8_t(i * 8)});
    }
    return encode_png(rgba(6, 5, pixels));
}

TEST(DecodePng, NothingOrTooLittleIsEmpty) {
    EXPECT_TRUE(decode_png_on_background(nullptr, 0, 0).empty());
    EXPECT_TRUE(decode_png_on_background(nullptr, 100, 0).empty());
    const Bytes png = small_rgba_png();
    EXPECT_TRUE(decode_png_on_background(png.data(), 0, 0).empty());
    EXPECT_TRUE(decode_png_on_background(png.data(), 7, 0).empty());
    EXPECT_TRUE(decode_png_on_background(png.data(), 8, 0).empty());
}

TEST(DecodePng, WrongSignatureIsEmpty) {
    const Bytes good = small_rgba_png();
    ASSERT_FALSE(decode(good).empty());
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(testing::Message() << "signature byte " << i);
        Bytes bad = good;
        bad[i] ^= 0x20;
        EXPECT_TRUE(decode(bad).empty());
    }
    const Bytes zeros(200, 0);
    EXPECT_TRUE(decode(zeros).empty());
}

TEST(DecodePng, TruncatedAnywhereBeforeIendIsEmpty) {
    const Bytes png = small_rgba_png();
    const std::vector<Chunk> chunks = chunks_of(png);
    const Chunk* iend = find_chunk(chunks, "IEND");
    ASSERT_NE(iend, nullptr);
    ASSERT_EQ(iend->at + 12, png.size());
    for (std::size_t length = 0; length < iend->at; ++length) {
        SCOPED_TRACE(testing::Message() << "truncated to " << length << " of " << png.size());
        const Bytes cut(png.begin(), png.begin() + length);
        EXPECT_TRUE(decode(cut).empty());
    }
    // All image data is there once the last IDAT's CRC is: IEND is not needed.
    const Bytes no_iend(png.begin(), png.begin() + iend->at);
    EXPECT_FALSE(decode(no_iend).empty());
    EXPECT_FALSE(decode(png).empty());
}

TEST(DecodePng, CorruptIdatIsEmpty) {
    const Bytes good = small_rgba_png();
    const std::vector<Chunk> chunks = chunks_of(good);
    const Chunk* idat = find_chunk(chunks, "IDAT");
    ASSERT_NE(idat, nullptr);
    ASSERT_GT(idat->length, 4u);
    {
        SCOPED_TRACE("a data byte changed, CRC left as it was");
        Bytes bad = good;
        bad[idat->at + 8 + idat->length / 2] ^= 0x01;
        EXPECT_TRUE(decode(bad).empty());
    }
    {
        SCOPED_TRACE("the CRC itself changed");
        Bytes bad = good;
        bad[idat->at + 8 + idat->length] ^= 0x80;
        EXPECT_TRUE(decode(bad).empty());
    }
    {
        SCOPED_TRACE("IHDR CRC changed");
        Bytes bad = good;
        bad[8 + 8 + 13] ^= 0x01;
        EXPECT_TRUE(decode(bad).empty());
    }
}

TEST(DecodePng, AbsurdDimensionsAreEmpty) {
    // Limits: 16384 on a side. A one-row picture at the limit decodes...
    const Bytes at_limit = encode_png(recipe(16384, 1, PNG_COLOR_TYPE_GRAY, 1, Bytes(2048, 0xAA)));
    const OpaqueImage ok = decode(at_limit);
    EXPECT_EQ(ok.width, 16384);
    EXPECT_EQ(ok.height, 1);
    // ... one pixel more does not.
    const Bytes wide = encode_png(recipe(16385, 1, PNG_COLOR_TYPE_GRAY, 1, Bytes(2049, 0xAA)));
    EXPECT_TRUE(decode(wide).empty());
    const Bytes tall = encode_png(recipe(1, 16385, PNG_COLOR_TYPE_GRAY, 1, Bytes(16385, 0x80)));
    EXPECT_TRUE(decode(tall).empty());
    // Headers that claim huge sizes over a tiny IDAT: refused or found short,
    // never decoded and never a crash.
    const Bytes tiny = small_rgba_png();
    const std::uint32_t sizes[][2] = {
        {0x7FFFFFFF, 1}, {1, 0x7FFFFFFF}, {100000, 100000}, {16384, 16384}, {16384, 16385}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s[0] << " x " << s[1]);
        EXPECT_TRUE(decode(with_header_size(tiny, s[0], s[1])).empty());
    }
}

// ---- Centre mode -----------------------------------------------------------

TEST(CentreModePlace, FollowsThePaintingAlgorithm) {
    struct Row {
        int W, H, pw, ph;
        int x, y, w, h;
        const char* what;
    };
    const Row rows[] = {
        {320, 408, 540, 740, 11, 0, 297, 408, "ContactPicture: s = 408/740"},
        {320, 408, 100, 50, 110, 179, 100, 50, "fits: natural size, centred"},
        {101, 101, 50, 50, 25, 25, 50, 50, "fits, odd margins truncate"},
        {100, 100, 200, 50, 0, 37, 100, 25, "wider but not taller"},
        {100, 100, 50, 200, 37, 0, 25, 100, "taller but not wider"},
        {320, 408, 320, 408, 0, 0, 320, 408, "equal sizes"},
        {320, 408, 320, 100, 0, 154, 320, 100, "equal width, shorter"},
        {64, 64, 1500, 1500, 0, 0, 64, 64, "square into square"},
        {72, 112, 1072, 1500, 0, 6, 72, 100, "MainPicture's proportions"},
        {10, 10, 0, 0, 0, 0, 0, 0, "no picture"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.what << ": " << r.pw << "x" << r.ph << " in "
                                        << r.W << "x" << r.H);
        const DrawPlace p = centre_mode_place(r.W, r.H, r.pw, r.ph);
        EXPECT_EQ(p.x, r.x);
        EXPECT_EQ(p.y, r.y);
        EXPECT_EQ(p.width, r.w);
        EXPECT_EQ(p.height, r.h);
    }
}

// ---- Scaling -----------------------------------------------------------------

OpaqueImage filled(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    OpaqueImage image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.bgrx.insert(image.bgrx.end(), {b, g, r, 0});
    return image;
}

TEST(ScaleImage, UniformStaysUniformAtExactSize) {
    struct Row {
        int sw, sh, w, h;
    };
    const Row rows[] = {{1072, 1500, 72, 112}, {1500, 1500, 64, 64}, {7, 5, 3, 2},
                        {5, 5, 5, 5},          {2, 3, 9, 11},        {100, 3, 7, 9}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.sw << "x" << r.sh << " -> " << r.w << "x" << r.h);
        const OpaqueImage out = scale_image(filled(r.sw, r.sh, 12, 200, 240), r.w, r.h);
        ASSERT_EQ(out.width, r.w);
        ASSERT_EQ(out.height, r.h);
        ASSERT_EQ(out.bgrx.size(), std::size_t(r.w) * r.h * 4);
        EXPECT_EQ(out.bgrx, filled(r.w, r.h, 12, 200, 240).bgrx);
    }
}

TEST(ScaleImage, CheckerAveragesToOnePixel) {
    OpaqueImage checker = filled(2, 2, 0, 0, 0);
    for (int i : {1, 2}) {  // (1,0) and (0,1) white
        for (int c = 0; c < 3; ++c) checker.bgrx[i * 4 + c] = 255;
    }
    const OpaqueImage out = scale_image(checker, 1, 1);
    ASSERT_EQ(out.width, 1);
    ASSERT_EQ(out.height, 1);
    EXPECT_EQ(out.bgrx, bgrx_of({128, 128, 128})) << "127.5 rounds up; actual " << hex(out.bgrx);

    OpaqueImage even = filled(2, 2, 10, 20, 30);
    for (int c = 0; c < 3; ++c) even.bgrx[4 + c] = even.bgrx[8 + c] = std::uint8_t(30 + 10 * c);
    EXPECT_EQ(scale_image(even, 1, 1).bgrx, bgrx_of({20, 30, 40}));
}

TEST(ScaleImage, FractionalCoverageIsWeighted) {
    // 3 -> 2: the first output covers pixel 0 fully and half of pixel 1.
    OpaqueImage row = filled(3, 1, 0, 0, 0);
    const std::uint8_t values[] = {30, 90, 150};
    for (int i = 0; i < 3; ++i) row.bgrx[i * 4] = values[i];
    const OpaqueImage out = scale_image(row, 2, 1);
    ASSERT_EQ(out.width, 2);
    // (30 + 0.5*90) / 1.5 = 50; (0.5*90 + 150) / 1.5 = 130
    EXPECT_EQ(out.bgrx, bgrx_of({50, 0, 0, 130, 0, 0})) << "actual " << hex(out.bgrx);

    // The same along the other axis.
    OpaqueImage column = filled(1, 3, 0, 0, 0);
    for (int i = 0; i < 3; ++i) column.bgrx[i * 4 + 2] = values[i];
    EXPECT_EQ(scale_image(column, 1, 2).bgrx, bgrx_of({0, 0, 50, 0, 0, 130}));
}

TEST(ScaleImage, FineStripesBecomeSmoothGreyNotJaggies) {
    // One-pixel black and white columns, stretched like MainPicture: each
    // output pixel covers about 15 columns, so all of them come out mid grey
    // (a nearest-neighbour scaler would give pure black or pure white).
    OpaqueImage stripes = filled(1072, 1500, 0, 0, 0);
    for (int y = 0; y < 1500; ++y) {
        for (int x = 1; x < 1072; x += 2) {
            std::uint8_t* p = &stripes.bgrx[(std::size_t(y) * 1072 + x) * 4];
            p[0] = p[1] = p[2] = 255;
        }
    }
    const OpaqueImage out = scale_image(stripes, 72, 112);
    ASSERT_EQ(out.width, 72);
    ASSERT_EQ(out.height, 112);
    for (std::size_t i = 0; i < out.bgrx.size(); i += 4) {
        SCOPED_TRACE(testing::Message() << "pixel " << i / 4);
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(out.bgrx[i + c], 118);
            EXPECT_LE(out.bgrx[i + c], 137);
        }
        ASSERT_EQ(out.bgrx[i + 3], 0);
    }
}

TEST(ScaleImage, UpscaleStaysWithinTheSourceRange) {
    OpaqueImage src = filled(2, 2, 0, 0, 0);
    src.bgrx[0] = 200;
    src.bgrx[12 + 1] = 100;
    const OpaqueImage out = scale_image(src, 5, 7);
    ASSERT_EQ(out.width, 5);
    ASSERT_EQ(out.height, 7);
    ASSERT_EQ(out.bgrx.size(), 5u * 7 * 4);
    EXPECT_EQ(out.bgrx[0], 200);  // the corner pixel stays itself
    for (std::size_t i = 0; i < out.bgrx.size(); i += 4) {
        EXPECT_LE(out.bgrx[i], 200);
        EXPECT_LE(out.bgrx[i + 1], 100);
        EXPECT_EQ(out.bgrx[i + 2], 0);
        EXPECT_EQ(out.bgrx[i + 3], 0);
    }
    const OpaqueImage one = scale_image(filled(1, 1, 1, 2, 3), 4, 3);
    EXPECT_EQ(one.bgrx, filled(4, 3, 1, 2, 3).bgrx);
}

TEST(ScaleImage, SameSizeIsTheIdentity) {
    OpaqueImage src = filled(4, 3, 0, 0, 0);
    for (std::size_t i = 0; i < src.bgrx.size(); ++i) {
        if (i % 4 != 3) src.bgrx[i] = std::uint8_t(i * 17);
    }
    EXPECT_EQ(scale_image(src, 4, 3).bgrx, src.bgrx);
}

TEST(ScaleImage, NothingToScaleIsEmpty) {
    EXPECT_TRUE(scale_image(OpaqueImage{}, 10, 10).empty());
    EXPECT_TRUE(scale_image(filled(3, 3, 1, 1, 1), 0, 10).empty());
    EXPECT_TRUE(scale_image(filled(3, 3, 1, 1, 1), 10, -1).empty());
    OpaqueImage short_pixels = filled(3, 3, 1, 1, 1);
    short_pixels.bgrx.resize(20);
    EXPECT_TRUE(scale_image(short_pixels, 2, 2).empty());
    EXPECT_TRUE(scale_image(filled(3, 3, 1, 1, 1), 20000, 1).empty());
}

TEST(ScaleImage, DecodedPictureScalesEndToEnd) {
    // A transparent picture on F0F0F0, as a picture box loads it, stretched.
    const Bytes png = encode_png(rgba(30, 40, Bytes(30 * 40 * 4, 0)));
    const OpaqueImage decoded = decode(png, 0xF0F0F0);
    ASSERT_FALSE(decoded.empty());
    EXPECT_EQ(scale_image(decoded, 6, 8).bgrx, filled(6, 8, 0xF0, 0xF0, 0xF0).bgrx);
}

// ---- Decoding straight into the drawn size --------------------------------

// Varied colours and alpha, so that every weight of the scale shows.
Bytes varied_rgba(int w, int h) {
    Bytes pixels;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            pixels.insert(pixels.end(), {std::uint8_t(x * 37 + y * 11), std::uint8_t(y * 29),
                                         std::uint8_t(x * y * 7),
                                         std::uint8_t((x + 2 * y) % 5 == 0 ? 255 : x * 13 + y)});
        }
    }
    return pixels;
}

PlacedImage placed(const Bytes& png, const PlaceFor& place_for, std::uint32_t background = 0xF0F0F0) {
    return decode_png_placed(png.data(), png.size(), background, place_for);
}

PlaceFor fixed_size(int w, int h) {
    return [w, h](int, int) { return DrawPlace{0, 0, w, h}; };
}

TEST(DecodePngPlaced, SameAsDecodingWholeThenScaling) {
    std::vector<std::pair<const char*, PngRecipe>> pictures;
    pictures.push_back({"RGBA 8 bit", rgba(23, 31, varied_rgba(23, 31))});
    PngRecipe adam7 = rgba(23, 31, varied_rgba(23, 31));
    adam7.interlaced = true;
    pictures.push_back({"RGBA 8 bit, interlaced", adam7});
    {
        Bytes indices;
        for (int i = 0; i < 9 * 14; ++i) indices.push_back(std::uint8_t(i % 3));
        PngRecipe s = recipe(9, 14, PNG_COLOR_TYPE_PALETTE, 8, indices);
        s.palette = {{1, 2, 3}, {200, 5, 6}, {7, 180, 9}};
        s.trns_alpha = {0, 90};
        pictures.push_back({"palette with tRNS", s});
    }
    {
        Bytes gray;
        for (int i = 0; i < 16 * 10; ++i) gray.insert(gray.end(), {std::uint8_t(i), 0x55, std::uint8_t(i * 3), 0x10});
        pictures.push_back({"gray + alpha 16 bit", recipe(16, 10, PNG_COLOR_TYPE_GRAY_ALPHA, 16, gray)});
    }
    struct Place {
        const char* name;
        PlaceFor place_for;
    };
    const Place places[] = {
        {"natural size", [](int w, int h) { return DrawPlace{0, 0, w, h}; }},
        {"shrunk", fixed_size(7, 3)},
        {"narrower, taller", fixed_size(5, 40)},
        {"grown", [](int w, int h) { return DrawPlace{0, 0, 2 * w + 1, 3 * h}; }},
        {"one pixel", fixed_size(1, 1)},
        {"centre mode in 6 x 6", [](int w, int h) { return centre_mode_place(6, 6, w, h); }},
    };
    for (const auto& [picture_name, recipe] : pictures) {
        const Bytes png = encode_png(recipe);
        const OpaqueImage whole = decode(png, 0x405060);
        ASSERT_FALSE(whole.empty()) << picture_name;
        for (const Place& p : places) {
            SCOPED_TRACE(testing::Message() << picture_name << ", " << p.name);
            const DrawPlace expected_place = p.place_for(whole.width, whole.height);
            const OpaqueImage expected = expected_place.width == whole.width && expected_place.height == whole.height
                                             ? whole
                                             : scale_image(whole, expected_place.width, expected_place.height);
            const PlacedImage got = placed(png, p.place_for, 0x405060);
            EXPECT_EQ(got.place.x, expected_place.x);
            EXPECT_EQ(got.place.y, expected_place.y);
            ASSERT_EQ(got.image.width, expected.width);
            ASSERT_EQ(got.image.height, expected.height);
            EXPECT_EQ(got.image.bgrx, expected.bgrx);
        }
    }
}

TEST(DecodePngPlaced, MainPictureInItsBoxMatchesTheWholeDecode) {
    // The picture a real box shrinks most: 1072 x 1500 into 72 x 112.
    std::FILE* f = std::fopen(TALLOWIN_SOURCE_DIR "/media/MainPicture.png", "rb");
    ASSERT_NE(f, nullptr);
    Bytes png;
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) png.insert(png.end(), buffer, buffer + n);
    std::fclose(f);
    int seen_w = 0, seen_h = 0;
    const PlacedImage got = placed(png, [&](int w, int h) {
        seen_w = w, seen_h = h;
        return DrawPlace{0, 0, 72, 112};
    });
    EXPECT_EQ(seen_w, 1072);
    EXPECT_EQ(seen_h, 1500);
    ASSERT_EQ(got.image.width, 72);
    ASSERT_EQ(got.image.height, 112);
    EXPECT_EQ(got.image.bgrx, scale_image(decode(png), 72, 112).bgrx);
}

TEST(DecodePngPlaced, BrokenPictureOrNoSizeIsEmpty) {
    const Bytes png = small_rgba_png();
    const std::vector<Chunk> chunks = chunks_of(png);
    const Chunk* iend = find_chunk(chunks, "IEND");
    ASSERT_NE(iend, nullptr);
    // Cut anywhere, the row-by-row path fails as the whole decode does.
    for (std::size_t length = 0; length < iend->at; ++length) {
        SCOPED_TRACE(testing::Message() << "truncated to " << length);
        const Bytes cut(png.begin(), png.begin() + length);
        EXPECT_TRUE(placed(cut, fixed_size(3, 2)).image.empty());
    }
    EXPECT_FALSE(placed(png, fixed_size(3, 2)).image.empty());

    for (const DrawPlace& p : {DrawPlace{0, 0, 0, 5}, DrawPlace{0, 0, 5, -1}, DrawPlace{0, 0, 20000, 1}}) {
        SCOPED_TRACE(testing::Message() << p.width << " x " << p.height);
        EXPECT_TRUE(placed(png, [p](int, int) { return p; }).image.empty());
    }
    EXPECT_TRUE(placed(png, nullptr).image.empty());
    EXPECT_TRUE(decode_png_placed(nullptr, 10, 0, fixed_size(3, 2)).image.empty());
}

}  // namespace
