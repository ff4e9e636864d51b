// MainWindow: the window start-up opens, which carries the sign-in counter,
// the run log and the detector's timer.
#pragma once

#include "platform/window_def.h"

extern const WindowDef MainWindow;

extern bool RunLogShown;

// Heights of the whole window with the run log hidden and shown.
constexpr int kMainWindowHeightLogHidden = 141;
constexpr int kMainWindowHeightLogShown = 300;

void main_window_created();
void toggle_run_log();
