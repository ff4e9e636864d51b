// libFuzzer target: decode_png_on_background over arbitrary bytes, then the
// stretch and centre-mode steps a picture box takes with the result, and the
// row-by-row decode into the box, which must give the same pixels. Any
// crash, leak, sanitizer report or broken invariant is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A background that varies between inputs without taking bytes from the
    // PNG (its first and last bytes are fixed in any valid file).
    const std::uint32_t background = std::uint32_t(size * 2654435761u) & 0xFFFFFF;

    const OpaqueImage image = decode_png_on_background(data, size, background);
    if (image.empty()) {
        if (image.width != 0 || image.height != 0 || !image.bgrx.empty()) std::abort();
        return 0;
    }
    if (image.width > 16384 || image.height > 16384 ||
        image.bgrx.size() != std::size_t(image.width) * image.height * 4) {
        std::abort();
    }
    for (std::size_t i = 3; i < image.bgrx.size(); i += 4) {
        if (image.bgrx[i] != 0) std::abort();  // the x byte of B, G, R, 0
    }

    // What the picture boxes do with it: stretch into MainPicture's box and
    // place in the contact box (kept small so each input stays fast).
    if (std::size_t(image.width) * image.height <= 1 << 20) {
        const OpaqueImage small = scale_image(image, 72, 112);
        if (small.width != 72 || small.height != 112 || small.bgrx.size() != 72u * 112 * 4) {
            std::abort();
        }
        const PlacedImage placed = decode_png_placed(data, size, background,
                                                     [](int, int) { return DrawPlace{0, 0, 72, 112}; });
        if (placed.image.bgrx != small.bgrx) std::abort();
    }
    const DrawPlace p = centre_mode_place(320, 408, image.width, image.height);
    if (p.x < 0 || p.y < 0 || p.width < 0 || p.height < 0 || p.x + p.width > 320 ||
        p.y + p.height > 408) {
        std::abort();
    }
    return 0;
}
