// Picture boxes: the picture is decoded and blended with COLOR_BTNFACE once,
// when loaded, and scaled smoothly to the size its mode draws it at; painting
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
    Bytes png = resource_bytes(d.picture.resource);
    OpaqueImage image =
        decode_png_on_background(png.data(), png.size(), rgb_of_colorref(GetSysColor(COLOR_BTNFACE)));
    if (image.empty()) return;  // the box shows its background alone
    RECT r;
    GetClientRect(c.hwnd, &r);
    int bw = r.right - r.left, bh = r.bottom - r.top;
    DrawPlace place{0, 0, image.width, image.height};
    if (d.picture_mode == PictureMode::Stretch) place = DrawPlace{0, 0, bw, bh};
    else if (d.picture_mode == PictureMode::Centre) place = centre_mode_place(bw, bh, image.width, image.height);
    if (place.width != image.width || place.height != image.height)
        image = scale_image(image, place.width, place.height);
    c.picture = std::move(image);
    c.picture_x = place.x;
    c.picture_y = place.y;
}

void register_picture_class(HINSTANCE instance) {
    register_control_class(instance, kPictureClass, picture_proc, 0);
}
