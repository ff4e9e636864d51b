// Pictures for picture boxes: PNG decoding from memory with libpng, the
// one-time alpha blend against the box's background, centre-mode geometry and
// the smooth downscale used by stretch mode, also applied row by row while
// decoding. Portable: no Win32 here.
#include "platform/image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <new>

// The blend and centre mode are defined as double arithmetic. The 32-bit
// mingw build defaults to x87 code, whose 80-bit intermediates can land on the
// other side of an integer (0.99999... vs 1.0) after truncation; these
// functions are compiled for SSE2 there so every operation rounds to double,
// exactly as on the 64-bit host. (Every CPU Windows 7 runs on has SSE2.)
#if defined(__i386__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SSE2_MATH__)
#define TALLOWIN_DOUBLE_MATH __attribute__((target("sse2,fpmath=sse")))
#else
#define TALLOWIN_DOUBLE_MATH
#endif

namespace {

// Larger pictures are refused rather than decoded: 16384 on a side and
// 2^28 pixels (1 GiB of RGBA) are far beyond anything the program shows.
constexpr std::uint32_t kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 28;

bool dimensions_allowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

// Everything a decode owns, held outside the functions that call setjmp: a
// longjmp must not skip a non-trivial destructor, and the caller's RAII frees
// the libpng structs and buffers on every path, successful or not.
struct PngDecode {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    std::unique_ptr<png_byte[]> rgba;   // width * height * 4, rows top to bottom
    std::unique_ptr<png_bytep[]> rows;  // height pointers into rgba
    bool interlaced = false;

    PngDecode(const std::uint8_t* d, std::size_t n) : data(d), size(n) {}
    PngDecode(const PngDecode&) = delete;
    PngDecode& operator=(const PngDecode&) = delete;
    ~PngDecode() {
        if (png != nullptr) png_destroy_read_struct(&png, &info, nullptr);
    }
};

// libpng's error callback must not return: back to the active setjmp, quietly
// (the default handler would print to stderr first).
[[noreturn]] void on_png_error(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void on_png_warning(png_structp /*png*/, png_const_charp /*message*/) {}

void read_from_buffer(png_structp png, png_bytep out, png_size_t length) {
    auto* d = static_cast<PngDecode*>(png_get_io_ptr(png));
    if (length > d->size - d->pos) {
        png_error(png, "truncated PNG");  // never hand libpng fewer bytes
    }
    std::memcpy(out, d->data + d->pos, length);
    d->pos += length;
}

// Phase 1: the header, the transforms that make every image 8-bit RGBA, and
// the checks on the size. Only trivially destructible locals past setjmp.
bool read_header(PngDecode& d) {
    if (setjmp(png_jmpbuf(d.png))) return false;

    png_set_read_fn(d.png, &d, read_from_buffer);
    png_set_user_limits(d.png, kMaxSide, kMaxSide);
    png_read_info(d.png, d.info);

    const png_uint_32 width = png_get_image_width(d.png, d.info);
    const png_uint_32 height = png_get_image_height(d.png, d.info);
    if (!dimensions_allowed(width, height)) return false;

    png_set_expand(d.png);  // palette -> RGB, gray < 8 bits -> 8, tRNS -> alpha
    png_set_strip_16(d.png);
    png_set_gray_to_rgb(d.png);
    png_set_add_alpha(d.png, 0xFF, PNG_FILLER_AFTER);  // only when no alpha yet
    png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    if (png_get_bit_depth(d.png, d.info) != 8 || png_get_channels(d.png, d.info) != 4 ||
        png_get_rowbytes(d.png, d.info) != png_size_t(width) * 4) {
        return false;
    }
    d.width = width;
    d.height = height;
    d.interlaced = png_get_interlace_type(d.png, d.info) != PNG_INTERLACE_NONE;
    return true;
}

// Phase 2: all rows (every interlace pass) into the buffer the caller made.
bool read_pixels(PngDecode& d) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_read_image(d.png, d.rows.get());
    return true;  // what follows the image data (IEND etc.) is not needed
}

// The blend of a loaded picture, in double and in exactly this order of
// operations: v -> a/255*v + (1-a/255)*b, truncated, clamped.
TALLOWIN_DOUBLE_MATH int blend_channel(int a, int v, int b) {
    const double mixed = a / 255.0 * v + (1 - a / 255.0) * b;
    const int t = static_cast<int>(mixed);  // truncates toward zero
    return std::clamp(t, 0, 255);
}

void blend_to_bgrx(const png_byte* rgba, std::size_t pixels, std::uint32_t background_rgb,
                   std::uint8_t* bgrx) {
    const int bg_r = (background_rgb >> 16) & 0xFF;
    const int bg_g = (background_rgb >> 8) & 0xFF;
    const int bg_b = background_rgb & 0xFF;
    for (std::size_t i = 0; i < pixels; ++i, rgba += 4, bgrx += 4) {
        const int a = rgba[3];
        if (a == 255) {
            bgrx[0] = rgba[2];
            bgrx[1] = rgba[1];
            bgrx[2] = rgba[0];
        } else if (a == 0) {  // the formula gives the background exactly
            bgrx[0] = static_cast<std::uint8_t>(bg_b);
            bgrx[1] = static_cast<std::uint8_t>(bg_g);
            bgrx[2] = static_cast<std::uint8_t>(bg_r);
        } else {
            bgrx[0] = static_cast<std::uint8_t>(blend_channel(a, rgba[2], bg_b));
            bgrx[1] = static_cast<std::uint8_t>(blend_channel(a, rgba[1], bg_g));
            bgrx[2] = static_cast<std::uint8_t>(blend_channel(a, rgba[0], bg_r));
        }
        bgrx[3] = 0;
    }
}

bool open_png(PngDecode& d) {
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error, on_png_warning);
    if (d.png == nullptr) return false;
    d.info = png_create_info_struct(d.png);
    return d.info != nullptr && read_header(d);
}

// The whole picture at its own size, once its header has been read.
OpaqueImage decode_whole(PngDecode& d, std::uint32_t background_rgb) {
    // Not zero-filled: pages of a large buffer for a truncated file are
    // never touched.
    const std::size_t pixels = std::size_t(d.width) * d.height;
    d.rgba.reset(new (std::nothrow) png_byte[pixels * 4]);
    d.rows.reset(new (std::nothrow) png_bytep[d.height]);
    if (!d.rgba || !d.rows) return {};
    for (png_uint_32 y = 0; y < d.height; ++y) {
        d.rows[y] = d.rgba.get() + std::size_t(y) * d.width * 4;
    }
    if (!read_pixels(d)) return {};

    OpaqueImage image;
    image.bgrx.resize(pixels * 4);
    blend_to_bgrx(d.rgba.get(), pixels, background_rgb, image.bgrx.data());
    image.width = static_cast<int>(d.width);
    image.height = static_cast<int>(d.height);
    return image;
}

}  // namespace

OpaqueImage decode_png_on_background(const std::uint8_t* data, std::size_t size,
                                     std::uint32_t background_rgb) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return {};
    try {
        PngDecode d(data, size);
        if (!open_png(d)) return {};
        return decode_whole(d, background_rgb);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Centre mode, step by step: fit each axis, shrink if still too large, centre.
TALLOWIN_DOUBLE_MATH DrawPlace centre_mode_place(int box_width, int box_height,
                                                 int picture_width, int picture_height) {
    DrawPlace place;
    if (picture_width <= 0 || picture_height <= 0) return place;  // nothing to draw

    const int W = box_width, H = box_height, pw = picture_width, ph = picture_height;
    int x = 0, y = 0, bw = W, bh = H, dw = pw, dh = ph;
    if (pw < W) {
        x = (W - pw) / 2;
        bw = pw;
    }
    if (ph < H) {
        y = (H - ph) / 2;
        bh = ph;
    }
    if (pw > bw || ph > bh) {
        const double s = std::min(static_cast<double>(bw) / pw, static_cast<double>(bh) / ph);
        dw = static_cast<int>(pw * s);
        dh = static_cast<int>(ph * s);
        x = x + (bw - dw) / 2;
        y = y + (bh - dh) / 2;
    }
    place.x = x;
    place.y = y;
    place.width = dw;
    place.height = dh;
    return place;
}

namespace {

// For one axis: which source samples each destination sample takes and with
// what weight (weights of one destination sample sum to 1).
struct AxisWeights {
    std::vector<int> first;          // first source index per destination index
    std::vector<std::size_t> start;  // into weights, per destination index + end
    std::vector<double> weights;
};

// Shrinking: a box filter over the source interval [d*src/dst, (d+1)*src/dst)
// with fractional coverage at both ends. Growing: linear interpolation
// between the two nearest source samples (pixel centres aligned).
AxisWeights axis_weights(int src, int dst) {
    AxisWeights aw;
    aw.first.resize(dst);
    aw.start.resize(std::size_t(dst) + 1);
    for (int d = 0; d < dst; ++d) {
        aw.start[d] = aw.weights.size();
        if (dst <= src) {
            const double lo = double(d) * src / dst;
            const double hi = double(d + 1) * src / dst;
            const int i0 = std::min(static_cast<int>(std::floor(lo)), src - 1);
            const int i1 = std::min(static_cast<int>(std::ceil(hi)), src);  // exclusive
            double total = 0;
            const std::size_t from = aw.weights.size();
            for (int i = i0; i < i1; ++i) {
                const double w = std::max(0.0, std::min(hi, i + 1.0) - std::max(lo, double(i)));
                aw.weights.push_back(w);
                total += w;
            }
            if (total <= 0) {  // cannot happen for src >= dst > 0; stay defined anyway
                aw.weights.resize(from);
                aw.weights.push_back(1.0);
                total = 1.0;
            }
            for (std::size_t k = from; k < aw.weights.size(); ++k) aw.weights[k] /= total;
            aw.first[d] = i0;
        } else {
            const double centre = (d + 0.5) * src / dst - 0.5;
            int i0 = static_cast<int>(std::floor(centre));
            double f = centre - i0;
            if (i0 < 0) {
                i0 = 0;
                f = 0;
            }
            if (i0 >= src - 1) {
                i0 = src - 1;
                f = 0;
            }
            aw.first[d] = i0;
            aw.weights.push_back(1.0 - f);
            if (f > 0) aw.weights.push_back(f);
        }
    }
    aw.start[dst] = aw.weights.size();
    return aw;
}

// Scales rows as they come, top to bottom: each source row is scaled across,
// then added with its weight into every destination row it covers. The sums
// of one destination row are built in source order, the order a two-pass
// scale over the whole picture builds them in, so the result is the same to
// the last bit whether the rows come from a decoded picture or from libpng.
class RowScaler {
public:
    RowScaler(int source_width, int source_height, int width, int height)
        : wx_(axis_weights(source_width, width)),
          wy_(axis_weights(source_height, height)),
          width_(width),
          height_(height),
          across_(std::size_t(width) * 3),
          sums_(std::size_t(width) * height * 3, 0.0) {}

    // Source row y (rows must come in order), as opaque B G R x pixels.
    void add_row(int y, const std::uint8_t* bgrx) {
        scale_across(bgrx);
        while (lowest_ < height_ && row_end(lowest_) <= y) ++lowest_;
        for (int d = lowest_; d < height_ && wy_.first[d] <= y; ++d) {
            if (y >= row_end(d)) continue;
            const double w = wy_.weights[wy_.start[d] + std::size_t(y - wy_.first[d])];
            double* sum = sums_.data() + std::size_t(d) * width_ * 3;
            for (std::size_t i = 0; i < across_.size(); ++i) sum[i] += w * across_[i];
        }
    }

    OpaqueImage finish() const {
        OpaqueImage result;
        result.width = width_;
        result.height = height_;
        result.bgrx.assign(std::size_t(width_) * height_ * 4, 0);
        const double* sum = sums_.data();
        std::uint8_t* out = result.bgrx.data();
        for (std::size_t px = 0; px < std::size_t(width_) * height_; ++px, sum += 3, out += 4) {
            for (int c = 0; c < 3; ++c) {
                const double v = std::floor(sum[c] + 0.5);
                out[c] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
            }
        }
        return result;
    }

private:
    // One past the last source row destination row d takes.
    int row_end(int d) const {
        return wy_.first[d] + static_cast<int>(wy_.start[d + 1] - wy_.start[d]);
    }

    void scale_across(const std::uint8_t* in) {
        double* out = across_.data();
        for (int x = 0; x < width_; ++x, out += 3) {
            const std::uint8_t* p = in + std::size_t(wx_.first[x]) * 4;
            double b = 0, g = 0, r = 0;
            for (std::size_t k = wx_.start[x]; k < wx_.start[x + 1]; ++k, p += 4) {
                const double w = wx_.weights[k];
                b += w * p[0];
                g += w * p[1];
                r += w * p[2];
            }
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
    }

    AxisWeights wx_, wy_;
    int width_, height_;
    int lowest_ = 0;              // destination rows above it are complete
    std::vector<double> across_;  // the current source row, scaled across: B G R
    std::vector<double> sums_;    // every destination pixel: B G R
};

bool scalable(int source_width, int source_height, int width, int height) {
    return source_width > 0 && source_height > 0 && width > 0 && height > 0 &&
           dimensions_allowed(std::uint64_t(source_width), std::uint64_t(source_height)) &&
           dimensions_allowed(std::uint64_t(width), std::uint64_t(height));
}

// Row by row, each blended and handed to the scaler as it comes, so the
// picture never exists at its own size. Only trivially destructible locals
// past setjmp; nothing here allocates or throws.
bool read_rows_scaled(PngDecode& d, RowScaler& scaler, png_byte* rgba, std::uint8_t* bgrx,
                      std::uint32_t background_rgb) {
    if (setjmp(png_jmpbuf(d.png))) return false;
    for (png_uint_32 y = 0; y < d.height; ++y) {
        png_read_row(d.png, rgba, nullptr);
        blend_to_bgrx(rgba, d.width, background_rgb, bgrx);
        scaler.add_row(static_cast<int>(y), bgrx);
    }
    return true;
}

}  // namespace

OpaqueImage scale_image(const OpaqueImage& source, int width, int height) {
    if (source.empty() || !scalable(source.width, source.height, width, height) ||
        source.bgrx.size() < std::size_t(source.width) * source.height * 4) {
        return {};
    }
    try {
        RowScaler scaler(source.width, source.height, width, height);
        for (int y = 0; y < source.height; ++y) {
            scaler.add_row(y, source.bgrx.data() + std::size_t(y) * source.width * 4);
        }
        return scaler.finish();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

PlacedImage decode_png_placed(const std::uint8_t* data, std::size_t size,
                              std::uint32_t background_rgb, const PlaceFor& place_for) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0 || !place_for) return {};
    try {
        PngDecode d(data, size);
        if (!open_png(d)) return {};
        const int pw = static_cast<int>(d.width), ph = static_cast<int>(d.height);
        PlacedImage placed;
        placed.place = place_for(pw, ph);
        const int w = placed.place.width, h = placed.place.height;
        if (w == pw && h == ph) {
            placed.image = decode_whole(d, background_rgb);
        } else if (!scalable(pw, ph, w, h)) {
            return {};
        } else if (d.interlaced) {
            // An interlaced picture is whole only after its last pass.
            placed.image = scale_image(decode_whole(d, background_rgb), w, h);
        } else {
            RowScaler scaler(pw, ph, w, h);
            std::vector<png_byte> rgba(std::size_t(pw) * 4);
            std::vector<std::uint8_t> bgrx(std::size_t(pw) * 4);
            if (!read_rows_scaled(d, scaler, rgba.data(), bgrx.data(), background_rgb)) return {};
            placed.image = scaler.finish();
        }
        if (placed.image.empty()) return {};
        return placed;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
