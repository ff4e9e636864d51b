// Building the controls of a window from their definitions, and the
// property, list box and lookup operations the program's logic uses.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/fatal.h"
#include "platform/win32/toolkit.h"
#include "platform/win32/toolkit_internal.h"
#include "platform/win32/wide.h"

namespace {

constexpr UINT_PTR kFirstTimerId = 1000;

HFONT create_font(const FontDef& f) {
    LOGFONTW lf = {};
    lf.lfHeight = f.height;
    lf.lfWidth = f.width;
    lf.lfEscapement = f.escapement;
    lf.lfOrientation = f.orientation;
    lf.lfWeight = f.weight;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfStrikeOut = f.strike_out;
    // The stored character set, precisions, quality and pitch give way to
    // fixed ones, so the face the system picks does not depend on them.
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    Text face(f.face_name, strnlen(f.face_name, sizeof f.face_name));
    std::wstring wface = wide_of(face);
    wcsncpy(lf.lfFaceName, wface.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

struct WindowClassAndStyle {
    const wchar_t* cls;
    DWORD style;
    DWORD ex_style;
};

WindowClassAndStyle class_and_style(const ControlDef& d) {
    DWORD common = WS_CHILD | (d.tab_stop ? WS_TABSTOP : 0);
    switch (d.kind) {
    case ControlKind::Label:
        return {kLabelClass, common, 0};
    case ControlKind::PictureBox:
        return {kPictureClass, common, 0};
    case ControlKind::Button:
        return {L"BUTTON", common | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, 0};
    case ControlKind::ListBox:
        return {L"LISTBOX",
                common | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
                WS_EX_CLIENTEDGE};
    case ControlKind::EditBox: {
        DWORD s = common;
        const EditSettings& e = d.edit;
        if (e.multi_line) s |= ES_MULTILINE | ES_AUTOVSCROLL;
        if (e.want_return) s |= ES_WANTRETURN;
        if (e.h_scroll) s |= WS_HSCROLL | ES_AUTOHSCROLL;
        if (e.v_scroll) s |= WS_VSCROLL;
        if (e.read_only) s |= ES_READONLY;
        if (d.align == HAlign::Centre) s |= ES_CENTER;
        if (d.align == HAlign::Right) s |= ES_RIGHT;
        return {L"EDIT", s, WS_EX_CLIENTEDGE};
    }
    case ControlKind::Timer:
        break;
    }
    return {nullptr, 0, 0};
}

void create_control(WindowInstance& w, Control& c, int id, UINT_PTR& next_timer) {
    const ControlDef& d = *c.def;
    if (d.kind == ControlKind::Timer) {
        if (d.timer_period_ms > 0) {
            c.timer_id = next_timer++;
            SetTimer(w.hwnd, c.timer_id, static_cast<UINT>(d.timer_period_ms), nullptr);
        }
        return;
    }
    WindowClassAndStyle cs = class_and_style(d);
    c.hwnd = CreateWindowExW(cs.ex_style, cs.cls, wide_of(d.caption).c_str(), cs.style, d.left,
                             d.top, d.width, d.height, w.hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), program_instance(), &c);
    if (!c.hwnd) return;
    HFONT font = default_gui_font();
    if (d.font) {
        c.font.reset(create_font(*d.font));
        if (c.font) font = static_cast<HFONT>(c.font.get());
    }
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (d.kind == ControlKind::ListBox) {
        // One pixel more than the list box's own item height for its font.
        LRESULT h = SendMessageW(c.hwnd, LB_GETITEMHEIGHT, 0, 0);
        if (h > 0) SendMessageW(c.hwnd, LB_SETITEMHEIGHT, 0, h + 1);
    }
    if (d.kind == ControlKind::EditBox) {
        SendMessageW(c.hwnd, EM_LIMITTEXT, 0, 0);
        SendMessageW(c.hwnd, EM_SETSEL, 0, 0);
    }
    if (d.kind == ControlKind::PictureBox) load_picture(c);
}

}  // namespace

void create_controls(WindowInstance& w) {
    UINT_PTR next_timer = kFirstTimerId;
    int id = 0;
    for (const ControlDef& d : w.def->controls) {
        auto c = std::make_unique<Control>();
        c->def = &d;
        // Control ids are the 1-based places in the definition, so tools and
        // tests outside the program can find a control with GetDlgItem.
        create_control(w, *c, ++id, next_timer);
        w.controls.push_back(std::move(c));
    }
    // Stacking: the first control of the table on top. Each control goes
    // to the bottom in table order.
    for (auto& c : w.controls)
        if (c->hwnd)
            SetWindowPos(c->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (auto& c : w.controls)
        if (c->hwnd && c->def->visible) ShowWindow(c->hwnd, SW_SHOWNA);
}

void destroy_controls(WindowInstance& w) {
    for (auto& c : w.controls) {
        if (c->timer_id) KillTimer(w.hwnd, c->timer_id);
        c->timer_id = 0;
    }
    // The child windows themselves go with their parent; their fonts and
    // pictures go with the Control records when the instance is deleted.
}

Control* attached_control(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* c = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    }
    auto* c = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return c;
}

void register_control_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

Control* control_of_hwnd(WindowInstance& w, HWND child) {
    for (auto& c : w.controls)
        if (c->hwnd == child) return c.get();
    return nullptr;
}

Control* timer_control(WindowInstance& w, UINT_PTR id) {
    for (auto& c : w.controls)
        if (c->timer_id && c->timer_id == id) return c.get();
    return nullptr;
}

Control& control(const WindowDef& window, const char* name) {
    WindowInstance* w = find_instance(window);
    if (!w) fatal_error(-1, Text("窗口未载入: ") + window.title);
    for (auto& c : w->controls)
        if (std::strcmp(c->def->name, name) == 0) return *c;
    fatal_error(-1, Text("找不到组件: ") + name);
}

Text get_property(Control& c, int number) {
    switch (number) {
    case kPropCaption: {
        if (!c.hwnd) return Text();
        int n = GetWindowTextLengthW(c.hwnd);
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        int got = GetWindowTextW(c.hwnd, &s[0], n + 1);
        return text_of_wide(s.data(), got);
    }
    case kPropVisible:
        return c.hwnd && (GetWindowLongW(c.hwnd, GWL_STYLE) & WS_VISIBLE) ? "1" : "0";
    default:
        return Text();
    }
}

void set_property(Control& c, int number, const Text& value) {
    if (!c.hwnd) return;
    if (number == kPropCaption) {
        SetWindowTextW(c.hwnd, wide_of(value).c_str());
        if (c.def->kind == ControlKind::Label) InvalidateRect(c.hwnd, nullptr, TRUE);
    }
}

void set_property(Control& c, int number, int value) {
    if (!c.hwnd) return;
    if (number == kPropVisible) ShowWindow(c.hwnd, value ? SW_SHOW : SW_HIDE);
}

void set_window_property(const WindowDef& window, int number, int value) {
    WindowInstance* w = find_instance(window);
    if (!w) fatal_error(-1, Text("窗口未载入: ") + window.title);
    if (number == kPropHeight) {
        int height = std::clamp(value, 0, 32627);
        RECT r;
        GetWindowRect(w->hwnd, &r);
        SetWindowPos(w->hwnd, nullptr, 0, 0, r.right - r.left, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int list_count(Control& list) {
    return list.hwnd ? static_cast<int>(SendMessageW(list.hwnd, LB_GETCOUNT, 0, 0)) : 0;
}

int list_append(Control& list, const Text& text, int item_data) {
    if (!list.hwnd) return -1;
    LRESULT index = SendMessageW(list.hwnd, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(wide_of(text).c_str()));
    if (index < 0) return -1;
    SendMessageW(list.hwnd, LB_SETITEMDATA, static_cast<WPARAM>(index), item_data);
    return static_cast<int>(index);
}
