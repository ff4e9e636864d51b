// The visible top-level windows as handle texts, and the synthetic click.
#include "platform/win32/desktop.h"

#include <windows.h>

#include <cstdint>

namespace {

// The handle as printf "%d" writes it. By hand: mingw's snprintf is the
// largest cost of a scan after the system calls themselves.
Text signed_decimal(std::int32_t value) {
    char digits[12];
    char* end = digits + sizeof digits;
    char* p = end;
    // Through unsigned, so that INT32_MIN negates without overflow.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = '-';
    return Text(p, end);
}

BOOL CALLBACK collect_visible(HWND hwnd, LPARAM lp) {
    auto* list = reinterpret_cast<TextList*>(lp);
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)
        list->push_back(signed_decimal(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(hwnd))));
    return TRUE;
}

}  // namespace

TextList visible_top_windows() {
    TextList list;
    EnumWindows(collect_visible, reinterpret_cast<LPARAM>(&list));
    return list;
}

void click_at(int x, int y) {
    SetCursorPos(x, y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, static_cast<DWORD>(x), static_cast<DWORD>(y), 0, 0);
}
