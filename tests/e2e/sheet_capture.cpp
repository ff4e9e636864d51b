// sheet_capture OUTDIR: starts the loopback build of Tallowin, opens each of
// its seven windows the way a user does, and saves each one, frame included,
// as OUTDIR\NN-name.bmp, read back from the screen once its picture is
// steady. scripts/screenshots serves the published files, runs it and puts
// the pictures into one contact sheet.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace {

constexpr DWORD kOpenMs = 45000;

std::vector<BYTE> grab(const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(static_cast<size_t>(w) * h * 4);
    GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool save_bmp(const std::wstring& path, const RECT& r, const std::vector<BYTE>& pixels) {
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = r.right - r.left;
    ih.biHeight = r.bottom - r.top;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) &&
              WriteFile(f, &ih, sizeof ih, &n, nullptr) &&
              WriteFile(f, pixels.data(), static_cast<DWORD>(pixels.size()), &n, nullptr);
    CloseHandle(f);
    return ok;
}

// Repaints w, lets the program handle everything queued, and saves it once
// two reads of the screen in a row agree.
bool capture(HWND w, const std::wstring& path) {
    RedrawWindow(w, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
    RECT rect = window_rect(w);
    std::vector<BYTE> last = grab(rect), now;
    bool steady = wait_until(
        [&] {
            now = grab(rect);
            bool same = now == last;
            last = now;
            return same;
        },
        5000);
    if (!steady) std::fprintf(stderr, "sheet_capture: picture not steady, saved anyway\n");
    return save_bmp(path, rect, last);
}

void click(HWND parent, int id) {
    PostMessageW(GetDlgItem(parent, id), BM_CLICK, 0, 0);
}

HWND wait_for(DWORD pid, const Text& title) {
    HWND w = nullptr;
    wait_until([&] { return (w = find_window_of(pid, title)) != nullptr; }, kOpenMs);
    return w;
}

bool close_with_esc(HWND w) {
    PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
    return wait_until([&] { return !IsWindow(w); }, 10000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sheet_capture OUTDIR\n");
        return 2;
    }
    const std::wstring out = argv[1];
    Process app;
    if (!app.start(L"\"" + built_program(L"Tallowin_loopback.exe") + L"\"")) return 1;
    DWORD pid = app.id();
    int failures = 0;
    auto shot = [&](HWND w, const wchar_t* name) {
        if (!w || !capture(w, out + L"\\" + name + L".bmp")) {
            std::fwprintf(stderr, L"sheet_capture: %ls not captured\n", name);
            ++failures;
        }
    };

    HWND main = wait_for(pid, "Tallowin");
    shot(main, L"1-MainWindow");
    if (!main) return 1;

    click(main, 1);  // 版本信息
    HWND version = wait_for(pid, "版本信息");
    if (!version) return 1;
    click(version, 6);  // 检查更新: the published file differs, so 查看更新 shows
    wait_until([&] { return IsWindowVisible(GetDlgItem(version, 8)) != FALSE; }, kOpenMs);
    shot(version, L"2-VersionWindow");

    struct Child {
        int button;
        const char* title;
        const wchar_t* name;
    } children[] = {
        {1, "联网公告", L"3-AnnouncementWindow"},
        {9, "Hi～", L"4-AuthorWindow"},
        {2, "检查更新·帮助", L"5-UpdateHelpWindow"},
    };
    for (const Child& c : children) {
        click(version, c.button);
        HWND w = wait_for(pid, c.title);
        shot(w, c.name);
        if (w) close_with_esc(w);
    }
    close_with_esc(version);

    PostMessageW(GetDlgItem(main, 4), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    HWND egg = wait_for(pid, "隐藏彩蛋");
    shot(egg, L"6-EasterEggWindow");
    if (egg) {
        click(egg, 2);  // 同意
        HWND contact = wait_for(pid, "QQ");
        shot(contact, L"7-ContactWindow");
        if (contact) close_with_esc(contact);
        close_with_esc(egg);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (!app.wait_exit(10000, &code)) app.terminate();
    return failures == 0 ? 0 : 1;
}
