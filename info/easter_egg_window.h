// EasterEggWindow: the hidden greeting behind MainWindow's picture, and the
// way to ContactWindow.
#pragma once

#include "platform/window_def.h"

extern const WindowDef EasterEggWindow;

// MainWindow's 图片框1, left button pressed.
void open_easter_egg_window();
// 按钮2 ("取消").
void close_easter_egg_window();
