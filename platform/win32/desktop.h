// Desktop access for the detector: the visible top-level windows and the
// synthetic left click.
#pragma once

#include "platform/text.h"

// Every top-level window whose own style has WS_VISIBLE, in EnumWindows
// order, as its handle in signed decimal.
TextList visible_top_windows();

// SetCursorPos, then a left button down and up at once; the cursor stays.
void click_at(int x, int y);
