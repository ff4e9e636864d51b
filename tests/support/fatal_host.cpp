// Host stand-in for the platform's fatal error: no message box, just the
// message on stderr and exit code -1, so death tests can watch for it.
#include <cstdio>
#include <cstdlib>

#include "platform/fatal.h"

void fatal_error(int code, const Text& message) {
    std::fprintf(stderr, "fatal error %d: %s\n", code, message.c_str());
    std::exit(-1);
}
