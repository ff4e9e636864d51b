// Picture boxes: the picture is decoded and blended with COLOR_BTNFACE once,
// when loaded, row by row straight into the size its mode draws it at (a
// 1500-pixel picture in a 64-pixel box never exists at full size); painting
// then only copies it onto the background.
#include <windows.h>

#include "platform/image.h"
#include "platform/win32/resources.h"
#include "platform/win32/toolkit_internal.h"

const wchar_t kPictureClass[] = L"TallowinPicture";

namespace {

std::uint32_t rgb_of_colorref(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

void paint(HWND hwnd, const Control& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const OpaqueImage& p = c.picture;
    if (!p.empty()) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = p.width;
        bi.bmiHeader.biHeight = -p.height;  // rows top to bottom
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, c.picture_x, c.picture_y, static_cast<DWORD>(p.width),
                          static_cast<DWORD>(p.height), 0, 0, 0, static_cast<UINT>(p.height),
                          p.bgrx.data(), &bi, DIB_RGB_COLORS);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK picture_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Control* c = attached_control(hwnd, msg, lp);
    if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *c);
        return 0;
    case WM_LBUTTONDOWN:
        if (c->def->on_event) c->def->on_event();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void load_picture(Control& c) {
    const ControlDef& d = *c.def;
    RECT r;
    GetClientRect(c.hwnd, &r);
    const int bw = r.right - r.left, bh = r.bottom - r.top;
    const PictureMode mode = d.picture_mode;
    const PlaceFor place_for = [mode, bw, bh](int pw, int ph) {
        if (mode == PictureMode::Stretch) return DrawPlace{0, 0, bw, bh};
        if (mode == PictureMode::Centre) return centre_mode_place(bw, bh, pw, ph);
        return DrawPlace{0, 0, pw, ph};
    };
    Bytes png = resource_bytes(d.picture.resource);
    PlacedImage placed = decode_png_placed(png.data(), png.size(),
                                           rgb_of_colorref(GetSysColor(COLOR_BTNFACE)), place_for);
    if (placed.image.empty()) return;  // the box shows its background alone
    c.picture = std::move(placed.image);
    c.picture_x = placed.place.x;
    c.picture_y = placed.place.y;
}

void register_picture_class(HINSTANCE instance) {
    register_control_class(instance, kPictureClass, picture_proc, 0);
}
