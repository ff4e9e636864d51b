// The visible top-level windows as handle texts, and the synthetic click.
#include "platform/win32/desktop.h"

#include <windows.h>

#include <cstdint>

#include "platform/convert.h"

namespace {

BOOL CALLBACK collect_visible(HWND hwnd, LPARAM lp) {
    auto* list = reinterpret_cast<TextList*>(lp);
    if (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)
        list->push_back(int_to_text(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(hwnd))));
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
