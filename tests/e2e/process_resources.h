// What another process holds, read from outside as a soak needs it: its
// windows, kernel handles, private memory and GDI objects.
#pragma once

#include <windows.h>

#include <string>

struct ProcessResources {
    long windows = -1;      // its top-level windows and all their children
    long handles = -1;      // kernel handles it holds
    long private_kb = -1;   // private memory
    long gdi_objects = -1;  // live entries of its GDI handle table
};

// -1 in a field the system would not tell. exe_path is the program's path as
// it was started, which identifies the process to the host under Wine.
ProcessResources process_resources(HANDLE process, DWORD pid, const std::wstring& exe_path);

std::string describe(const ProcessResources& r);
