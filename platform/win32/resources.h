// The program's embedded media, reached by resource name.
#pragma once

#include "platform/text.h"

// The bytes of an RCDATA resource of the executable; empty when missing.
Bytes resource_bytes(const char* name);
