// Labels draw their caption themselves: the box filled with COLOR_BTNFACE,
// then the caption in black, transparent background, cut off at the edges.
#include <windows.h>

#include <string>

#include "platform/win32/toolkit_internal.h"

const wchar_t kLabelClass[] = L"TallowinLabel";

namespace {

UINT draw_flags(const ControlDef& d) {
    // No DT_NOPREFIX: an ampersand underlines the character after it.
    UINT flags = DT_NOCLIP;
    if (d.align == HAlign::Centre) flags |= DT_CENTER;
    else if (d.align == HAlign::Right) flags |= DT_RIGHT;
    else flags |= DT_LEFT;
    flags |= d.word_wrap ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
    return flags;
}

void paint(HWND hwnd, const Control& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    int n = GetWindowTextLengthW(hwnd);
    std::wstring caption(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, &caption[0], n + 1);
    HFONT font = c.font ? static_cast<HFONT>(c.font.get()) : default_gui_font();
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    // DT_NOCLIP lets DrawText run past the rectangle; the label's own window
    // is what cuts the caption off at its edges.
    DrawTextW(dc, caption.c_str(), n, &r, draw_flags(*c.def));
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK label_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Control* c = attached_control(hwnd, msg, lp);
    if (!c) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paint(hwnd, *c);
        return 0;
    case WM_SETFONT:
        return 0;  // the font comes from the definition
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c->font ? static_cast<HFONT>(c->font.get()) : default_gui_font());
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void register_label_class(HINSTANCE instance) {
    register_control_class(instance, kLabelClass, label_proc, CS_HREDRAW | CS_VREDRAW);
}
