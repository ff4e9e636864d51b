// Starting the stand-in dialog and reading its report file.
#include "tests/e2e/standin.h"

#include <cstdio>
#include <sstream>

namespace {

std::wstring fresh_report_path() {
    static LONG serial = 0;
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    wchar_t name[64];
    std::swprintf(name, 64, L"tallowin-standin-%lu-%ld.txt", GetCurrentProcessId(),
                  InterlockedIncrement(&serial));
    return std::wstring(dir) + name;
}

}  // namespace

bool park_cursor(int x, int y) {
    SetCursorPos(x, y);
    return wait_until(
        [&] {
            POINT p = {};
            return GetCursorPos(&p) && p.x == x && p.y == y;
        },
        2000);
}

StandIn::~StandIn() {
    process_.terminate();
    if (!report_.empty()) DeleteFileW(report_.c_str());
}

bool StandIn::start(int x, int y, int w, int h, bool stay, DWORD ms) {
    report_ = fresh_report_path();
    DeleteFileW(report_.c_str());
    wchar_t numbers[64];
    std::swprintf(numbers, 64, L" %d %d %d %d", x, y, w, h);
    std::wstring cmd = L"\"" + built_program(L"standin_dialog.exe") + L"\"" +
                       (stay ? L" --stay" : L"") + L" --report \"" + report_ + L"\"" + numbers;
    if (!process_.start(cmd)) return false;
    return wait_until(
        [&] {
            for (const StandInEvent& e : events())
                if (e.kind == "ready") return true;
            return false;
        },
        ms);
}

std::vector<StandInEvent> StandIn::events() const {
    std::vector<StandInEvent> out;
    HANDLE f = CreateFileW(report_.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(f);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        StandInEvent e;
        std::istringstream fields(line);
        if (fields >> e.kind >> e.a >> e.b >> e.c >> e.d) out.push_back(e);
    }
    return out;
}

std::vector<StandInEvent> StandIn::clicks() const {
    std::vector<StandInEvent> out;
    for (const StandInEvent& e : events())
        if (e.kind != "ready") out.push_back(e);
    return out;
}

RECT StandIn::shown_rect() const {
    for (const StandInEvent& e : events())
        if (e.kind == "ready") return RECT{e.a, e.b, e.c, e.d};
    return RECT{};
}
