// UpdateHelpWindow: what the update check needs and what it shows.
#pragma once

#include "platform/window_def.h"

extern const WindowDef UpdateHelpWindow;

// VersionWindow's 按钮4 ("？").
void open_update_help_window();
