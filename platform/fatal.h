// The platform's fatal error: a message box titled "错误", then exit code -1.
// The program's own logic never reaches it; it guards against misuse.
#pragma once

#include "platform/text.h"

[[noreturn]] void fatal_error(int code, const Text& message);
