// What the end-to-end drivers share: starting a program under test, waiting
// for a condition with a deadline while pumping messages, and finding and
// reading the windows of another process as a user would see them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/text.h"

// Windows paths of the built programs, from the build.
std::wstring built_program(const wchar_t* name);

// A started process, ended (by its handle) and closed when it goes.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();
    bool start(const std::wstring& command_line);
    // Waits up to ms; true when it ended, with its exit code.
    bool wait_exit(DWORD ms, DWORD* exit_code);
    void terminate();
    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

// Polls cond every few milliseconds, dispatching this thread's messages,
// until it holds or ms have passed.
bool wait_until(const std::function<bool()>& cond, DWORD ms);

// The visible top-level window of process pid with this title (code page
// 936), or null.
HWND find_window_of(DWORD pid, const Text& title);

Text window_text(HWND hwnd);

// Whole files, for drivers that play a server's files: read_file gives the
// empty string for a file it cannot open.
std::string read_file(const std::wstring& path);
bool write_file(const std::wstring& path, const std::string& bytes);
RECT window_rect(HWND hwnd);
Text list_line(HWND list, int index);
