// The program's media, embedded as resources of the executable.
#pragma once

#include "platform/text.h"

// The sign-in sound: a complete RIFF WAVE file, loaded once.
const Bytes& sign_in_sound();
