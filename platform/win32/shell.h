// Hands a URL to the default browser.
#pragma once

#include "platform/text.h"

// ShellExecuteA "open" with SW_SHOWNORMAL; returns at once, result ignored.
void open_in_browser(const Text& url);
