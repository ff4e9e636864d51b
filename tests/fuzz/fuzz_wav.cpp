// libFuzzer target for parse_wav: any bytes at all. Whatever it accepts must
// describe samples that lie wholly inside the buffer and a consistent PCM
// format; reading them all lets AddressSanitizer check that claim.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WavClip clip;
    if (!parse_wav(data, size, &clip)) return 0;
    if (size < 36 || clip.data_size == 0 || clip.data_offset < 20 ||
        clip.data_offset > size || clip.data_size > size - clip.data_offset) {
        std::abort();
    }
    if (clip.format_tag != 1 || clip.channels == 0 || clip.samples_per_sec == 0 ||
        (clip.bits_per_sample != 8 && clip.bits_per_sample != 16) ||
        clip.block_align != clip.channels * clip.bits_per_sample / 8 ||
        clip.avg_bytes_per_sec != std::uint64_t{clip.samples_per_sec} * clip.block_align) {
        std::abort();
    }
    volatile std::uint8_t sum = 0;
    for (std::size_t i = 0; i < clip.data_size; ++i) sum = sum + data[clip.data_offset + i];
    return 0;
}
