// RIFF WAVE parsing for the sign-in sound: checks the header and finds the
// PCM format and the samples without ever reading past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>

struct WavClip {
    std::uint16_t format_tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samples_per_sec = 0;
    std::uint32_t avg_bytes_per_sec = 0;
    std::uint16_t block_align = 0;
    std::uint16_t bits_per_sample = 0;
    std::size_t data_offset = 0;  // from the start of the file
    std::size_t data_size = 0;
};

// True for a playable PCM RIFF WAVE file; fills clip. Anything malformed,
// truncated or not PCM gives false.
bool parse_wav(const std::uint8_t* data, std::size_t size, WavClip* clip);
