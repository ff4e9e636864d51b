// The RIFF WAVE check behind play_wav: walks the chunks of a file held in
// memory, finds the PCM format and the samples, and never reads outside it.
//
// The rules this parser keeps:
// - more than 35 bytes, "RIFF" at 0 and "WAVE" at 8; the RIFF size field is
//   not trusted, the walk is bounded by the buffer alone;
// - the first "fmt " chunk counts: at least 16 bytes, format tag 1 (PCM),
//   channels not 0, 8 or 16 bits, block_align == channels * bits / 8,
//   samples per second not 0 and avg_bytes_per_sec == rate * block_align
//   (what waveOutOpen demands of a PCM WAVEFORMATEX);
// - "fmt " must come before "data", as the WAVE format prescribes and the
//   system's own mmio-based player expects; a data chunk first is malformed;
// - the first "data" chunk after the format ends the walk: what follows it
//   (its pad byte, trailing chunks or junk) is not looked at. It must not be
//   empty and must lie wholly inside the buffer: a data chunk that runs past
//   the end is malformed, not clamped;
// - every other chunk (LIST, fact, ...) is skipped with its pad byte; one
//   that runs past the end before the data was found is malformed.
#include "platform/wav.h"

namespace {

constexpr std::size_t kMinimumSize = 36;  // "longer than 35 bytes"
constexpr std::size_t kChunkHeader = 8;
constexpr std::uint32_t kMinimumFormat = 16;

std::uint16_t read_u16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t read_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool has_id(const std::uint8_t* p, const char (&id)[5]) {
    return p[0] == static_cast<std::uint8_t>(id[0]) && p[1] == static_cast<std::uint8_t>(id[1]) &&
           p[2] == static_cast<std::uint8_t>(id[2]) && p[3] == static_cast<std::uint8_t>(id[3]);
}

// Reads and checks a "fmt " chunk body of `size` bytes (already in bounds).
bool read_format(const std::uint8_t* body, std::uint32_t size, WavClip* clip) {
    if (size < kMinimumFormat) return false;
    WavClip f;
    f.format_tag = read_u16(body);
    f.channels = read_u16(body + 2);
    f.samples_per_sec = read_u32(body + 4);
    f.avg_bytes_per_sec = read_u32(body + 8);
    f.block_align = read_u16(body + 12);
    f.bits_per_sample = read_u16(body + 14);
    if (f.format_tag != 1) return false;
    if (f.channels == 0 || f.samples_per_sec == 0) return false;
    if (f.bits_per_sample != 8 && f.bits_per_sample != 16) return false;
    const std::uint32_t frame = std::uint32_t{f.channels} * f.bits_per_sample / 8;
    if (f.block_align != frame) return false;
    const std::uint64_t per_second = std::uint64_t{f.samples_per_sec} * f.block_align;
    if (f.avg_bytes_per_sec != per_second) return false;
    *clip = f;
    return true;
}

}  // namespace

bool parse_wav(const std::uint8_t* data, std::size_t size, WavClip* clip) {
    if (data == nullptr || size < kMinimumSize) return false;
    if (!has_id(data, "RIFF") || !has_id(data + 8, "WAVE")) return false;

    WavClip found;
    bool have_format = false;
    std::size_t offset = 12;
    // Invariant: offset <= size, so size - offset never wraps.
    while (size - offset >= kChunkHeader) {
        const std::uint8_t* header = data + offset;
        const std::uint32_t chunk_size = read_u32(header + 4);
        const std::size_t body = offset + kChunkHeader;
        const std::size_t room = size - body;
        if (chunk_size > room) return false;  // runs past the end (or wraps)

        if (has_id(header, "fmt ")) {
            if (!have_format) {
                if (!read_format(data + body, chunk_size, &found)) return false;
                have_format = true;
            }
        } else if (has_id(header, "data")) {
            if (!have_format || chunk_size == 0) return false;
            found.data_offset = body;
            found.data_size = chunk_size;
            *clip = found;
            return true;
        }

        // Next chunk: the body, then a pad byte after an odd size. Both fit
        // in room + 1, so nothing overflows; a missing pad byte ends the walk.
        const std::size_t step = std::size_t{chunk_size} + (chunk_size & 1u);
        if (step > room) return false;
        offset = body + step;
    }
    return false;
}
