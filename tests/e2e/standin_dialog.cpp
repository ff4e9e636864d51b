// standin_dialog [--stay] [--report FILE] X Y [W H]: a stand-in for the
// classroom client's roll-call dialog, 465 x 500 at (100, 100) unless told
// otherwise. It records where left-button presses and releases land, in
// screen pixels, and closes after the first click unless --stay.
//
// FILE gets one line per event, appended and written at once so that a
// driver can read it while the stand-in runs:
//   ready LEFT TOP RIGHT BOTTOM   once shown, its outer rectangle
//   down X Y TIME 0 / up X Y TIME 0   WM_LBUTTONDOWN / WM_LBUTTONUP
//   ncdown ... / ncup ...             the same on the frame or caption
// TIME is GetMessageTime, so two stand-ins can tell whether they were
// clicked in the same tick.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Options {
    bool stay = false;
    std::wstring report;
    int x = 100, y = 100, width = 465, height = 500;
};

struct State {
    Options options;
    HANDLE report = INVALID_HANDLE_VALUE;
    int clicks = 0;
    POINT last_click = {-1, -1};  // client pixels, for the painted mark
};
State g_state;

void record(const char* kind, long a, long b, long c, long d) {
    if (g_state.report == INVALID_HANDLE_VALUE) return;
    char line[96];
    int n = std::snprintf(line, sizeof line, "%s %ld %ld %ld %ld\r\n", kind, a, b, c, d);
    DWORD written = 0;
    // One WriteFile per line on an append handle: a reader never sees half.
    WriteFile(g_state.report, line, static_cast<DWORD>(n), &written, nullptr);
}

void record_button(HWND hwnd, const char* kind, LPARAM lp, bool client) {
    POINT p = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (client) ClientToScreen(hwnd, &p);  // non-client messages are in screen pixels already
    record(kind, p.x, p.y, static_cast<long>(GetMessageTime()), 0);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    wchar_t text[96];
    std::swprintf(text, 96, L"Stand-in roll-call dialog\nclicks: %d", g_state.clicks);
    RECT top = client;
    top.top += 40;
    DrawTextW(dc, text, -1, &top, DT_CENTER | DT_TOP);
    if (g_state.last_click.x >= 0) {
        // A red cross where the last press landed, to be seen in screenshots.
        HPEN pen = CreatePen(PS_SOLID, 3, RGB(220, 0, 0));
        HGDIOBJ old = SelectObject(dc, pen);
        const POINT c = g_state.last_click;
        MoveToEx(dc, c.x - 12, c.y - 12, nullptr);
        LineTo(dc, c.x + 13, c.y + 13);
        MoveToEx(dc, c.x + 12, c.y - 12, nullptr);
        LineTo(dc, c.x - 13, c.y + 13);
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        record_button(hwnd, "down", lp, true);
        g_state.last_click = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        record_button(hwnd, "up", lp, true);
        ++g_state.clicks;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (!g_state.options.stay) DestroyWindow(hwnd);
        return 0;
    case WM_NCLBUTTONDOWN:
        record_button(hwnd, "ncdown", lp, false);
        break;
    case WM_NCLBUTTONUP:
        record_button(hwnd, "ncup", lp, false);
        break;
    case WM_PAINT:
        paint(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool parse_options(int argc, wchar_t** argv, Options* o) {
    int numbers[4];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--stay") == 0) {
            o->stay = true;
        } else if (std::wcscmp(argv[i], L"--report") == 0 && i + 1 < argc) {
            o->report = argv[++i];
        } else {
            wchar_t* end = nullptr;
            long v = std::wcstol(argv[i], &end, 10);
            if (end == argv[i] || *end != L'\0' || count == 4) return false;
            numbers[count++] = static_cast<int>(v);
        }
    }
    if (count != 0 && count != 2 && count != 4) return false;
    if (count >= 2) o->x = numbers[0], o->y = numbers[1];
    if (count == 4) o->width = numbers[2], o->height = numbers[3];
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!parse_options(argc, argv, &g_state.options)) {
        std::fputs("usage: standin_dialog [--stay] [--report FILE] X Y [W H]\n", stderr);
        return 2;
    }
    const Options& o = g_state.options;
    if (!o.report.empty()) {
        g_state.report = CreateFileW(o.report.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (g_state.report == INVALID_HANDLE_VALUE) return 3;
    }

    WNDCLASSW wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TallowinStandInDialog";
    if (!RegisterClassW(&wc)) return 4;
    // CreateWindow's size is the outer size, which is all the detector sees.
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Stand-in sign-in",
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, o.x, o.y, o.width, o.height,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd) return 5;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    record("ready", r.left, r.top, r.right, r.bottom);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g_state.report != INVALID_HANDLE_VALUE) CloseHandle(g_state.report);
    return 0;
}
