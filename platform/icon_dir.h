// The image directory of a Windows .ico file, and which image a window takes
// as its large or small icon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct IconEntry {
    int width = 0;        // 0 in the file means 256
    int height = 0;
    int colour_count = 0; // as stored (0 for 8 bits per pixel and more)
    int bit_count = 0;    // as stored in the directory entry
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// The entries of a well-formed icon file: reserved 0, type 1, count > 0, the
// whole directory present, and every image non-empty and lying inside the
// buffer after the directory. Empty for anything else.
std::vector<IconEntry> read_icon_dir(const std::uint8_t* data, std::size_t size);

// Index of the first entry `width` pixels wide whose colour count is 16 or
// more; the last entry when none is; -1 for an empty directory.
int choose_icon_image(const std::vector<IconEntry>& entries, int width);
