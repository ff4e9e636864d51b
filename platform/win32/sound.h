// Plays a RIFF WAVE clip once on the default wave-out device, on a worker
// thread of its own; returns at once. Malformed clips and a missing device
// give silence.
#pragma once

#include "platform/text.h"

void play_wav(const Bytes& wav);
