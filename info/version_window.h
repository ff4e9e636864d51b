// VersionWindow: the program's version, the update check against the
// published latest-version file, and the way to the author's page; the hub
// of the announcement, author and update-help windows.
#pragma once

#include "platform/window_def.h"

extern const WindowDef VersionWindow;

// MainWindow's 按钮3 ("版本信息").
void open_version_window();
// 按钮3 ("检查更新").
void check_for_update();
// 按钮2 ("查看更新").
void open_author_page();
