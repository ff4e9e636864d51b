// Pictures for picture boxes: PNG decoding from memory with libpng, the
// one-time alpha blend against the box's background, centre-mode geometry and
// the smooth downscale used by stretch mode. Portable: no Win32 here.
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
        } else {
            bgrx[0] = static_cast<std::uint8_t>(blend_channel(a, rgba[2], bg_b));
            bgrx[1] = static_cast<std::uint8_t>(blend_channel(a, rgba[1], bg_g));
            bgrx[2] = static_cast<std::uint8_t>(blend_channel(a, rgba[0], bg_r));
        }
        bgrx[3] = 0;
    }
}

}  // namespace

OpaqueImage decode_png_on_background(const std::uint8_t* data, std::size_t size,
                                     std::uint32_t background_rgb) {
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return {};
    try {
        PngDecode d(data, size);
        d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error,
                                       on_png_warning);
        if (d.png == nullptr) return {};
        d.info = png_create_info_struct(d.png);
        if (d.info == nullptr || !read_header(d)) return {};

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

}  // namespace

OpaqueImage scale_image(const OpaqueImage& source, int width, int height) {
    if (source.empty() || width <= 0 || height <= 0 ||
        !dimensions_allowed(std::uint64_t(source.width), std::uint64_t(source.height)) ||
        !dimensions_allowed(std::uint64_t(width), std::uint64_t(height)) ||
        source.bgrx.size() < std::size_t(source.width) * source.height * 4) {
        return {};
    }
    try {
        const int sw = source.width, sh = source.height;
        const AxisWeights wx = axis_weights(sw, width);
        const AxisWeights wy = axis_weights(sh, height);

        // Horizontal pass: every source row to `width` samples, B G R in double.
        std::vector<double> rows(std::size_t(sh) * width * 3);
        for (int y = 0; y < sh; ++y) {
            const std::uint8_t* in = source.bgrx.data() + std::size_t(y) * sw * 4;
            double* out = rows.data() + std::size_t(y) * width * 3;
            for (int x = 0; x < width; ++x, out += 3) {
                const std::uint8_t* p = in + std::size_t(wx.first[x]) * 4;
                double b = 0, g = 0, r = 0;
                for (std::size_t k = wx.start[x]; k < wx.start[x + 1]; ++k, p += 4) {
                    const double w = wx.weights[k];
                    b += w * p[0];
                    g += w * p[1];
                    r += w * p[2];
                }
                out[0] = b;
                out[1] = g;
                out[2] = r;
            }
        }

        // Vertical pass: `height` rows, each a weighted sum of source rows.
        OpaqueImage result;
        result.width = width;
        result.height = height;
        result.bgrx.assign(std::size_t(width) * height * 4, 0);
        std::vector<double> acc(std::size_t(width) * 3);
        for (int y = 0; y < height; ++y) {
            std::fill(acc.begin(), acc.end(), 0.0);
            int sy = wy.first[y];
            for (std::size_t k = wy.start[y]; k < wy.start[y + 1]; ++k, ++sy) {
                const double w = wy.weights[k];
                const double* row = rows.data() + std::size_t(sy) * width * 3;
                for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += w * row[i];
            }
            std::uint8_t* out = result.bgrx.data() + std::size_t(y) * width * 4;
            for (int x = 0; x < width; ++x, out += 4) {
                for (int c = 0; c < 3; ++c) {
                    const double v = std::floor(acc[std::size_t(x) * 3 + c] + 0.5);
                    out[c] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
                }
                out[3] = 0;
            }
        }
        return result;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
