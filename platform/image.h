// Pictures for picture boxes: PNG decoding with libpng, the one-time blend of
// alpha against the box's background colour, and where each display mode
// draws the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Opaque 32-bit pixels, rows top to bottom, each pixel B, G, R, 0 (the byte
// order of a 32-bit DIB).
struct OpaqueImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgrx;
    bool empty() const { return width <= 0 || height <= 0; }
};

// Decodes a PNG of any colour type and depth, then blends every pixel whose
// alpha is below 255 with background (0xRRGGBB): a/255*v + (1-a/255)*b,
// truncated and clamped. A PNG that cannot be decoded gives an empty image.
OpaqueImage decode_png_on_background(const std::uint8_t* data, std::size_t size,
                                     std::uint32_t background_rgb);

struct DrawPlace {
    int x = 0, y = 0, width = 0, height = 0;
};

// Centre mode in a W x H box for a pw x ph picture: natural size centred when
// it fits, else shrunk keeping its proportions until it fits, then centred.
DrawPlace centre_mode_place(int box_width, int box_height, int picture_width, int picture_height);

// Smooth downscale (area averaging) of an opaque image to w x h; used where a
// large picture is shown in a small box so it does not look jagged.
OpaqueImage scale_image(const OpaqueImage& source, int width, int height);

// A picture as a picture box keeps it: at the size it is drawn, and where.
struct PlacedImage {
    OpaqueImage image;
    DrawPlace place;
};

// Chooses where and how large a picture of the given size is drawn.
using PlaceFor = std::function<DrawPlace(int picture_width, int picture_height)>;

// decode_png_on_background followed by scale_image to the size place_for
// chooses, with the same pixels, but row by row: a picture drawn smaller than
// its own size is never held at its own size. Interlaced PNGs, whole only
// after their last pass, are decoded whole first. Empty when the PNG cannot
// be decoded or the chosen size cannot be drawn.
PlacedImage decode_png_placed(const std::uint8_t* data, std::size_t size,
                              std::uint32_t background_rgb, const PlaceFor& place_for);
