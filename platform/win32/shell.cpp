// open_in_browser: the shell's "open" verb on the URL.
#include "platform/win32/shell.h"

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

void open_in_browser(const Text& url) {
    ShellExecuteA(nullptr, "open", url.empty() ? nullptr : url.c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}
