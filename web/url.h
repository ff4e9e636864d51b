// The parts of a URL that a request is opened with: host, port and path.
// No validation: odd input gives odd but well-defined parts.
#pragma once

#include <cstdint>

#include "platform/text.h"

// The host in lower case; with keep_port, followed by ":" and the port text
// when the URL has them.
Text url_host(const Text& url, bool keep_port);

// The port after the host's last ":", else 443 for an "https" URL, else 80.
// A port text without digits gives 0.
std::int32_t url_port(const Text& url);

// From the first "/" after the host to the end (query and fragment kept, in
// their own letter case), or "/".
Text url_path(const Text& url);
