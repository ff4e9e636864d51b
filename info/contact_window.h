// ContactWindow: the contact picture, opened from EasterEggWindow.
#pragma once

#include "platform/window_def.h"

extern const WindowDef ContactWindow;

// EasterEggWindow's 按钮1 ("同意").
void open_contact_window();
