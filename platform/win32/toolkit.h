// The window toolkit the program's logic calls: opening and closing windows
// built from their definitions, reading and writing control properties, the
// run log list box, and program start and end.
#pragma once

#include "platform/window_def.h"
#include "platform/text.h"

struct Control;  // a live control of an open window

// Property numbers.
enum Property {
    kPropLeft = 0,
    kPropTop = 1,
    kPropWidth = 2,
    kPropHeight = 3,
    kPropTag = 4,
    kPropVisible = 5,
    kPropDisabled = 6,
    kPropMousePointer = 7,
    kPropCaption = 8,
};

void init_platform();
void at_exit(Handler routine);
void open_startup_window(const WindowDef& window);
void run_message_loop();
bool open_window(const WindowDef& window, bool as_dialog);
void close_window(const WindowDef& window);
bool window_is_open(const WindowDef& window);

// A control of an open window, by its name; fatal when the window is not open
// or has no such control.
Control& control(const WindowDef& window, const char* name);

Text get_property(Control& c, int number);
void set_property(Control& c, int number, const Text& value);
void set_property(Control& c, int number, int value);
void set_window_property(const WindowDef& window, int number, int value);

int list_count(Control& list);
int list_append(Control& list, const Text& text, int item_data);

// Ends the program's run: runs the at_exit routines in order. Called once by
// the entry routine after the message loop.
void run_exit_routines();
