// Cutting pieces out of a Text by markers: what lies between two markers, and
// what lies before a separator. Used by the URL routines, the cookie
// collection and the update check. A missing marker gives the empty text.
#pragma once

#include "platform/text.h"

// The text between the first start_marker and the first end_marker after it.
// In a marker "#引号" stands for one double quote.
Text text_between(const Text& text, const Text& start_marker, const Text& end_marker);

// The text before the first separator.
Text text_before(const Text& text, const Text& separator);
