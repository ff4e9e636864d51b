// Host tests of parse_wav, the RIFF WAVE check behind play_wav: a file built
// chunk by chunk here, then broken in every way the parser must refuse.
#include "platform/wav.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using ByteVec = std::vector<std::uint8_t>;

void put_u16(ByteVec* out, std::uint32_t v) {
    out->push_back(static_cast<std::uint8_t>(v));
    out->push_back(static_cast<std::uint8_t>(v >> 8));
}

void put_u32(ByteVec* out, std::uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

void put_id(ByteVec* out, const char* id) { out->insert(out->end(), id, id + 4); }

// One chunk: id, size (the body's length unless given), body, pad byte.
ByteVec chunk(const char* id, const ByteVec& body, bool pad = true) {
    ByteVec c;
    put_id(&c, id);
    put_u32(&c, static_cast<std::uint32_t>(body.size()));
    c.insert(c.end(), body.begin(), body.end());
    if (pad && body.size() % 2 == 1) c.push_back(0);
    return c;
}

struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 2;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 16;
    std::uint32_t avg = 0;    // 0: rate * block_align
    std::uint16_t align = 0;  // 0: channels * bits / 8
    std::size_t extra = 0;    // bytes after the 16 (cbSize and beyond)
};

ByteVec fmt_body(const Format& f) {
    const std::uint16_t align =
        f.align ? f.align : static_cast<std::uint16_t>(f.channels * f.bits / 8);
    ByteVec b;
    put_u16(&b, f.tag);
    put_u16(&b, f.channels);
    put_u32(&b, f.rate);
    put_u32(&b, f.avg ? f.avg : f.rate * align);
    put_u16(&b, align);
    put_u16(&b, f.bits);
    b.resize(b.size() + f.extra, 0);
    return b;
}

ByteVec samples(std::size_t n) {
    ByteVec s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return s;
}

// LIST/INFO with an odd-length INAM, so the walk has to honour padding.
ByteVec list_info() {
    ByteVec body;
    put_id(&body, "INFO");
    const std::string name = "Tallowin";  // 8 bytes + zero = 9, odd
    ByteVec inam(name.begin(), name.end());
    inam.push_back(0);
    ByteVec sub = chunk("INAM", inam);
    body.insert(body.end(), sub.begin(), sub.end());
    return chunk("LIST", body);
}

// "RIFF" size "WAVE" and the chunks given, with a correct RIFF size.
ByteVec riff(const std::vector<ByteVec>& chunks) {
    ByteVec f;
    put_id(&f, "RIFF");
    put_u32(&f, 0);
    put_id(&f, "WAVE");
    for (const ByteVec& c : chunks) f.insert(f.end(), c.begin(), c.end());
    const std::uint32_t riff_size = static_cast<std::uint32_t>(f.size() - 8);
    for (int i = 0; i < 4; ++i) f[4 + i] = static_cast<std::uint8_t>(riff_size >> (8 * i));
    return f;
}

// The shape of SignInSound: PCM 2 x 16 bit at 22050 Hz, LIST/INFO before data.
ByteVec sign_in_like(std::size_t data_bytes = 400) {
    return riff({chunk("fmt ", fmt_body(Format{})), list_info(), chunk("data", samples(data_bytes))});
}

bool parses(const ByteVec& f, WavClip* clip = nullptr) {
    WavClip scratch;
    return parse_wav(f.data(), f.size(), clip ? clip : &scratch);
}

TEST(ParseWav, ValidStereo22050With16BitAndListBeforeData) {
    const ByteVec f = sign_in_like();
    WavClip clip;
    ASSERT_TRUE(parses(f, &clip));
    EXPECT_EQ(1, clip.format_tag);
    EXPECT_EQ(2, clip.channels);
    EXPECT_EQ(22050u, clip.samples_per_sec);
    EXPECT_EQ(88200u, clip.avg_bytes_per_sec);
    EXPECT_EQ(4, clip.block_align);
    EXPECT_EQ(16, clip.bits_per_sample);
    EXPECT_EQ(400u, clip.data_size);
    EXPECT_EQ(f.size() - 400, clip.data_offset);
    EXPECT_EQ(samples(400), ByteVec(f.begin() + clip.data_offset, f.end()));
}

TEST(ParseWav, SizeOfTheSignInSound) {
    // The real clip's numbers: 110592 bytes of samples in a 110698-byte file
    // (44 bytes of header plus a 62-byte LIST chunk).
    ByteVec list_body;
    put_id(&list_body, "INFO");
    list_body.resize(54, 'x');
    const ByteVec f = riff({chunk("fmt ", fmt_body(Format{})), chunk("LIST", list_body),
                            chunk("data", samples(110592))});
    ASSERT_EQ(110698u, f.size());
    WavClip clip;
    ASSERT_TRUE(parses(f, &clip));
    EXPECT_EQ(110592u, clip.data_size);
    EXPECT_EQ(106u, clip.data_offset);
}

TEST(ParseWav, EveryTruncationIsRefused) {
    const ByteVec f = sign_in_like(64);
    for (std::size_t n = 0; n < f.size(); ++n) {
        // An exact-size copy, so a read past n is a read past the buffer.
        const ByteVec cut(f.begin(), f.begin() + n);
        WavClip clip;
        EXPECT_FALSE(parse_wav(cut.data(), cut.size(), &clip)) << "length " << n;
    }
    EXPECT_FALSE(parse_wav(nullptr, 0, nullptr));
}

TEST(ParseWav, AcceptedVariants) {
    struct Row {
        const char* name;
        ByteVec file;
        std::size_t data_size;
    } rows[] = {
        {"mono 8 bit 8000 Hz", riff({chunk("fmt ", fmt_body({1, 1, 8000, 8})), chunk("data", samples(33))}), 33},
        {"fmt with cbSize (18 bytes)", riff({chunk("fmt ", fmt_body({1, 2, 44100, 16, 0, 0, 2})), chunk("data", samples(8))}), 8},
        {"six channels", riff({chunk("fmt ", fmt_body({1, 6, 48000, 16})), chunk("data", samples(12))}), 12},
        {"odd data without its pad byte at the end",
         riff({chunk("fmt ", fmt_body({1, 1, 8000, 8})), chunk("data", samples(31), false)}), 31},
        {"trailing chunk and junk after data",
         [] {
             ByteVec f = riff({chunk("fmt ", fmt_body(Format{})), chunk("data", samples(8)),
                               chunk("junk", samples(5))});
             f.push_back(0xEE);  // half a header
             return f;
         }(),
         8},
        {"RIFF size field wrong", [] {
             ByteVec f = sign_in_like(16);
             f[4] = f[5] = f[6] = f[7] = 0xFF;
             return f;
         }(), 16},
        {"second fmt ignored", riff({chunk("fmt ", fmt_body(Format{})), chunk("fmt ", fmt_body({3, 0, 0, 32})),
                                     chunk("data", samples(8))}), 8},
        {"unknown odd chunk before fmt", riff({chunk("fact", samples(3)), chunk("fmt ", fmt_body(Format{})),
                                               chunk("data", samples(4))}), 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WavClip clip;
        ASSERT_TRUE(parses(r.file, &clip));
        EXPECT_EQ(r.data_size, clip.data_size);
        ASSERT_LE(clip.data_offset + clip.data_size, r.file.size());
    }
}

TEST(ParseWav, MalformedFilesAreRefused) {
    const ByteVec fmt = chunk("fmt ", fmt_body(Format{}));
    const ByteVec data = chunk("data", samples(40));
    auto with = [](ByteVec f, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
        return f;
    };
    const ByteVec good = riff({fmt, data});  // fmt at 12, data header at 36
    ASSERT_TRUE(parses(good));

    struct Row {
        const char* name;
        ByteVec file;
    } rows[] = {
        {"RIFX instead of RIFF", [&] { ByteVec f = good; f[3] = 'X'; return f; }()},
        {"WAVX instead of WAVE", [&] { ByteVec f = good; f[11] = 'X'; return f; }()},
        {"magic shifted by one", [&] { ByteVec f = good; f.insert(f.begin(), 0); return f; }()},
        {"only 35 bytes", ByteVec(good.begin(), good.begin() + 35)},
        {"non-PCM (IEEE float)", riff({chunk("fmt ", fmt_body({3, 2, 22050, 32})), data})},
        {"extensible format", riff({chunk("fmt ", fmt_body({0xFFFE, 2, 22050, 16, 0, 0, 24})), data})},
        {"zero channels", riff({chunk("fmt ", fmt_body({1, 0, 22050, 16, 1, 1})), data})},
        {"zero rate", riff({chunk("fmt ", fmt_body({1, 2, 0, 16, 4})), data})},
        {"24 bits", riff({chunk("fmt ", fmt_body({1, 2, 22050, 24})), data})},
        {"block align wrong", riff({chunk("fmt ", fmt_body({1, 2, 22050, 16, 0, 2})), data})},
        {"bytes per second wrong", riff({chunk("fmt ", fmt_body({1, 2, 22050, 16, 44100})), data})},
        {"fmt of 14 bytes", [&] {
             ByteVec body = fmt_body(Format{});
             body.resize(14);
             return riff({chunk("fmt ", body), data});
         }()},
        {"fmt after data", riff({data, fmt})},
        {"missing data", riff({fmt, list_info()})},
        {"missing fmt", riff({list_info(), data})},
        {"empty data", riff({fmt, chunk("data", {})})},
        {"data running past the end", with(good, 40, 41)},
        {"data size 0xFFFFFFF0", with(good, 40, 0xFFFFFFF0u)},
        {"data size 0xFFFFFFFF", with(good, 40, 0xFFFFFFFFu)},
        {"fmt size 0xFFFFFFF0", with(good, 16, 0xFFFFFFF0u)},
        {"LIST size 0xFFFFFFF0", [&] {
             ByteVec f = riff({fmt, list_info(), data});
             return with(f, 40, 0xFFFFFFF0u);
         }()},
        {"LIST odd size whose pad byte is missing", [&] {
             ByteVec f = riff({fmt, chunk("LIST", samples(5), false)});
             return f;
         }()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(parses(r.file));
        // And the same at every shorter length (each an exact-size copy).
        for (std::size_t n = 0; n < r.file.size(); ++n) {
            const ByteVec cut(r.file.begin(), r.file.begin() + n);
            WavClip clip;
            ASSERT_FALSE(parse_wav(cut.data(), cut.size(), &clip)) << "length " << n;
        }
    }
}

TEST(ParseWav, RefusalLeavesTheClipAlone) {
    WavClip clip;
    clip.channels = 9;
    const ByteVec f = riff({chunk("fmt ", fmt_body(Format{})), list_info()});
    EXPECT_FALSE(parses(f, &clip));
    EXPECT_EQ(9, clip.channels);
}

}  // namespace
