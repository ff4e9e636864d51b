// libFuzzer target: read_icon_dir over arbitrary bytes and the icon choice
// for the large and small icon. Every entry read must describe an image
// inside the buffer, after the directory; the choice must index the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/icon_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<IconEntry> entries = read_icon_dir(data, size);
    const std::uint64_t directory_end = 6 + 16 * std::uint64_t(entries.size());
    for (const IconEntry& e : entries) {
        if (e.width < 1 || e.width > 256 || e.height < 1 || e.height > 256) std::abort();
        if (e.colour_count < 0 || e.colour_count > 255 || e.bit_count < 0) std::abort();
        if (e.size == 0 || e.offset < directory_end ||
            std::uint64_t(e.offset) + e.size > size) {
            std::abort();
        }
    }
    for (int width : {16, 32, 24, 256}) {
        const int chosen = choose_icon_image(entries, width);
        if (entries.empty() ? chosen != -1 : chosen < 0 || chosen >= int(entries.size())) {
            std::abort();
        }
        if (!entries.empty() && entries[chosen].width != width &&
            chosen != int(entries.size()) - 1) {
            std::abort();
        }
    }
    return 0;
}
