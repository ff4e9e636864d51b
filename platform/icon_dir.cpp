// The image directory of a Windows .ico file (ICONDIR + ICONDIRENTRY x count,
// little-endian) and how MainWindow picks its large and small icon. Portable:
// the target hands the chosen image to CreateIconFromResourceEx itself.
#include "platform/icon_dir.h"

namespace {

constexpr std::size_t kHeaderSize = 6;  // reserved, type, count (WORD each)
constexpr std::size_t kEntrySize = 16;

unsigned u16(const std::uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

}  // namespace

std::vector<IconEntry> read_icon_dir(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < kHeaderSize) return {};
    const unsigned reserved = u16(data), type = u16(data + 2), count = u16(data + 4);
    if (reserved != 0 || type != 1 || count == 0) return {};  // type 2 is a cursor
    const std::size_t directory_end = kHeaderSize + kEntrySize * count;
    if (directory_end > size) return {};

    std::vector<IconEntry> entries;
    entries.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t* e = data + kHeaderSize + kEntrySize * i;
        IconEntry entry;
        entry.width = e[0] == 0 ? 256 : e[0];
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.colour_count = e[2];
        // e[3] is reserved and e[4..5] the planes: files in the wild put
        // anything there, and nothing here depends on them.
        entry.bit_count = static_cast<int>(u16(e + 6));
        entry.size = u32(e + 8);
        entry.offset = u32(e + 12);
        // Each image must lie wholly inside the buffer, after the directory,
        // and not be empty (64-bit sums: offset + size cannot wrap).
        const std::uint64_t begin = entry.offset;
        const std::uint64_t end = begin + entry.size;
        if (entry.size == 0 || begin < directory_end || end > size) return {};
        entries.push_back(entry);
    }
    return entries;
}

int choose_icon_image(const std::vector<IconEntry>& entries, int width) {
    if (entries.empty()) return -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].width == width && entries[i].colour_count >= 16) return static_cast<int>(i);
    }
    return static_cast<int>(entries.size()) - 1;
}
