// AnnouncementWindow: the notice the author publishes, downloaded afresh at
// every opening and shown in an editable box.
#pragma once

#include "platform/window_def.h"

extern const WindowDef AnnouncementWindow;

// The most of the notice the box shows, in bytes of code page 936 text: far
// above any real notice, and a layout of about a second at worst.
constexpr int AnnouncementShownLimit = 16 * 1024;

// VersionWindow's 按钮5 ("公告").
void open_announcement_window();
// The window's created event: download, convert from UTF-8, show.
void load_announcement();
