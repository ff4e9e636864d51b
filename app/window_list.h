// WindowList: the visible top-level windows of the latest detector scan,
// created empty at start-up and released when the program ends.
#pragma once

#include "platform/text.h"

extern TextList WindowList;

void release_window_list();
