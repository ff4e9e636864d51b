// AuthorWindow: the author's name and school beside an avatar.
#pragma once

#include "platform/window_def.h"

extern const WindowDef AuthorWindow;

// VersionWindow's 按钮1 ("作者").
void open_author_window();
