// The program-wide window list and its clean-up at program end.
#include "app/window_list.h"

TextList WindowList;

void release_window_list() { TextList().swap(WindowList); }
