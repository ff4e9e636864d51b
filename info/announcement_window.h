// AnnouncementWindow: the notice the author publishes, downloaded afresh at
// every opening and shown in an editable box.
#pragma once

#include "platform/window_def.h"

extern const WindowDef AnnouncementWindow;

// VersionWindow's 按钮5 ("公告").
void open_announcement_window();
// The window's created event: download, convert from UTF-8, show.
void load_announcement();
