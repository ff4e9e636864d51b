// Opening and closing the program's windows: one instance per definition,
// dialogs owned by a hidden window with a nested message loop, the window
// procedure every window shares, and the quit message after the last window.
#include <windows.h>

#include <algorithm>
#include <map>

#include "platform/fatal.h"
#include "platform/icon_dir.h"
#include "platform/win32/resources.h"
#include "platform/win32/toolkit.h"
#include "platform/win32/toolkit_internal.h"
#include "platform/win32/wide.h"

namespace {

const wchar_t kWindowClass[] = L"TallowinWindow";
const wchar_t kOwnerClass[] = L"TallowinOwner";
constexpr DWORD kFrameStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HINSTANCE g_instance = nullptr;
HWND g_hidden_owner = nullptr;
std::map<const WindowDef*, WindowInstance*> g_open;  // live windows by definition
std::vector<Handler> g_exit_routines;

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void register_classes() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);

    WNDCLASSEXW owner = {};
    owner.cbSize = sizeof owner;
    owner.lpfnWndProc = DefWindowProcW;
    owner.hInstance = g_instance;
    owner.lpszClassName = kOwnerClass;
    RegisterClassExW(&owner);

    register_label_class(g_instance);
    register_picture_class(g_instance);
}

// The windows without an owner that the open dialogs hold disabled (in this
// program the main window alone). They are held from the first dialog until
// no dialog of the program is left, whichever dialog closes first: a dialog
// opened from a dialog may outlive the one that opened it.
std::vector<HWND> g_held_by_dialogs;

bool held_by_dialogs(HWND hwnd) {
    return std::find(g_held_by_dialogs.begin(), g_held_by_dialogs.end(), hwnd) != g_held_by_dialogs.end();
}

// Dialogs already open stay enabled; a window disabled before stays as it was.
void hold_unowned_windows(HWND dialog) {
    for (auto& [def, w] : g_open) {
        (void)def;
        if (w->hwnd == dialog || GetWindow(w->hwnd, GW_OWNER) != nullptr) continue;
        if (IsWindowEnabled(w->hwnd)) {
            EnableWindow(w->hwnd, FALSE);
            g_held_by_dialogs.push_back(w->hwnd);
        }
    }
}

bool another_dialog_open(HWND except) {
    return std::any_of(g_open.begin(), g_open.end(), [except](const auto& entry) {
        return entry.second->is_dialog && entry.second->hwnd != except && IsWindow(entry.second->hwnd);
    });
}

void release_held_windows() {
    std::vector<HWND> held;
    held.swap(g_held_by_dialogs);
    for (HWND h : held)
        if (IsWindow(h)) EnableWindow(h, TRUE);
}

// Called as a dialog goes: the held windows take input again only when it
// was the last dialog.
void release_if_last_dialog(HWND going) {
    if (!another_dialog_open(going)) release_held_windows();
}

void set_icons(WindowInstance& w) {
    HICON large = nullptr, small = nullptr;
    if (w.def->icon.resource) {
        Bytes ico = resource_bytes(w.def->icon.resource);
        auto entries = read_icon_dir(ico.data(), ico.size());
        auto make = [&](int width) -> HICON {
            int i = choose_icon_image(entries, width);
            if (i < 0) return nullptr;
            const IconEntry& e = entries[static_cast<size_t>(i)];
            return CreateIconFromResourceEx(const_cast<BYTE*>(ico.data() + e.offset), e.size, TRUE,
                                            0x00030000, e.width, e.height, LR_DEFAULTCOLOR);
        };
        w.large_icon.reset(make(32));
        w.small_icon.reset(make(16));
        large = w.large_icon.get();
        small = w.small_icon.get();
    } else {
        // Shared images of the executable's icon: the system picks among its
        // images of each size.
        large = static_cast<HICON>(LoadImageW(g_instance, L"DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_SHARED));
        small = static_cast<HICON>(LoadImageW(g_instance, L"DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_SHARED));
    }
    SendMessageW(w.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    SendMessageW(w.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

WindowInstance* create_window(const WindowDef& def, bool as_dialog) {
    auto* w = new WindowInstance;
    w->def = &def;
    w->is_dialog = as_dialog;
    // Centred on the primary screen, signed division truncating toward zero.
    int x = (GetSystemMetrics(SM_CXSCREEN) - def.width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - def.height) / 2;
    DWORD style = kFrameStyle | (as_dialog ? WS_POPUP : WS_OVERLAPPED);
    HWND owner = as_dialog ? g_hidden_owner : nullptr;
    HWND hwnd = CreateWindowExW(0, kWindowClass, wide_of(def.title).c_str(), style, x, y, def.width,
                                def.height, owner, nullptr, g_instance, w);
    if (!hwnd) {
        delete w;
        return nullptr;
    }
    // The outer size is exact whatever the frame metrics made of it.
    SetWindowPos(hwnd, nullptr, x, y, def.width, def.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(default_gui_font()), FALSE);
    set_icons(*w);
    create_controls(*w);
    if (def.on_created) def.on_created();
    // The created handler may have closed it already.
    if (!IsWindow(hwnd)) return nullptr;
    return w;
}

bool open(const WindowDef& def, bool as_dialog) {
    if (WindowInstance* open = find_instance(def)) {
        if (IsIconic(open->hwnd))
            ShowWindow(open->hwnd, SW_RESTORE);
        else
            SetForegroundWindow(open->hwnd);
        return true;
    }
    WindowInstance* w = create_window(def, as_dialog);
    if (!w) return false;
    HWND hwnd = w->hwnd;
    if (as_dialog) hold_unowned_windows(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    if (!as_dialog) return true;

    // Nested loop until this window is gone; the quit message ends it too
    // and is posted again for the loop outside.
    MSG msg;
    while (IsWindow(hwnd)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        dispatch_message(msg);
    }
    // After a quit message the program is ending and no dialog loop runs
    // any more, so nothing is held.
    if (IsWindow(hwnd)) release_held_windows();
    return true;
}

void on_destroy(WindowInstance& w) {
    if (w.is_dialog) release_if_last_dialog(w.hwnd);
    destroy_controls(w);
    g_open.erase(w.def);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* w = static_cast<WindowInstance*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        w->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        g_open[w->def] = w;
    }
    auto* w = reinterpret_cast<WindowInstance*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!w) return DefWindowProcW(hwnd, msg, wp, lp);  // messages before WM_NCCREATE

    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && lp) {
            Control* c = control_of_hwnd(*w, reinterpret_cast<HWND>(lp));
            if (c && c->def->kind == ControlKind::Button && c->def->on_event) c->def->on_event();
            return 0;
        }
        break;
    case WM_TIMER:
        if (Control* c = timer_control(*w, wp)) {
            if (c->def->on_event) c->def->on_event();
            return 0;
        }
        break;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT: {
        Control* c = control_of_hwnd(*w, reinterpret_cast<HWND>(lp));
        HDC dc = reinterpret_cast<HDC>(wp);
        if (c && c->def->kind == ControlKind::EditBox) {
            std::uint32_t t = c->def->edit.text_rgb, b = c->def->edit.back_rgb;
            SetTextColor(dc, RGB(t >> 16, (t >> 8) & 0xFF, t & 0xFF));
            SetBkColor(dc, RGB(b >> 16, (b >> 8) & 0xFF, b & 0xFF));
            if (!w->edit_back) w->edit_back.reset(CreateSolidBrush(RGB(b >> 16, (b >> 8) & 0xFF, b & 0xFF)));
            return reinterpret_cast<LRESULT>(w->edit_back.get());
        }
        if (c && c->def->kind == ControlKind::ListBox) {
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        break;
    }
    case WM_CLOSE:
        // A window held by a dialog stays: a close request can still reach
        // it (from another program, say), and the handler waiting in the
        // dialog's loop would come back to a window that is gone.
        if (held_by_dialogs(hwnd)) return 0;
        // The held windows get their input back before the last dialog goes,
        // so activation returns to them and not elsewhere.
        if (w->is_dialog) release_if_last_dialog(hwnd);
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        on_destroy(*w);
        return 0;
    case WM_NCDESTROY: {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete w;
        if (g_open.empty()) PostQuitMessage(0);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HINSTANCE program_instance() { return g_instance; }

HFONT default_gui_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

WindowInstance* find_instance(const WindowDef& def) {
    auto it = g_open.find(&def);
    return it == g_open.end() ? nullptr : it->second;
}

void init_platform() {
    g_instance = GetModuleHandleW(nullptr);
    register_classes();
    g_hidden_owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     g_instance, nullptr);
}

void at_exit(Handler routine) {
    if (routine) g_exit_routines.push_back(routine);
}

void run_exit_routines() {
    std::vector<Handler> routines;
    routines.swap(g_exit_routines);
    for (Handler r : routines) r();
}

void open_startup_window(const WindowDef& window) {
    if (!open(window, false)) fatal_error(-1, "载入启动窗口失败");
}

bool open_window(const WindowDef& window, bool as_dialog) { return open(window, as_dialog); }

bool window_is_open(const WindowDef& window) { return find_instance(window) != nullptr; }

void close_window(const WindowDef& window) {
    if (WindowInstance* w = find_instance(window)) PostMessageW(w->hwnd, WM_CLOSE, 0, 0);
}

void run_message_loop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch_message(msg);
}

void dispatch_message(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_TAB)) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        // Only the program's own windows: other windows of this thread (a
        // message box) keep their own keys.
        bool ours = std::any_of(g_open.begin(), g_open.end(),
                                [root](const auto& entry) { return entry.second->hwnd == root; });
        if (ours && msg.wParam == VK_ESCAPE) {
            // Esc anywhere in a window is a close request for it.
            PostMessageW(root, WM_CLOSE, 0, 0);
            return;
        }
        if (ours && msg.wParam == VK_TAB) {
            HWND focus = GetFocus();
            wchar_t cls[16] = {};
            if (focus) GetClassNameW(focus, cls, 16);
            bool multi_line_edit = lstrcmpiW(cls, L"Edit") == 0 &&
                                   (GetWindowLongW(focus, GWL_STYLE) & ES_MULTILINE);
            if (!multi_line_edit) {
                bool back = GetKeyState(VK_SHIFT) < 0;
                HWND next = GetNextDlgTabItem(root, focus == root ? nullptr : focus, back);
                if (next) SetFocus(next);
                return;
            }
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}
