// The platform's own downloader: one synchronous HTTP/1.0 GET over WinInet,
// the body as Bytes. Bounded like every transfer (platform/transfer_bounds.h).
#pragma once

#include "platform/text.h"

// Everything read, also after a failed read; empty for an empty URL, a URL
// WinInet cannot take apart, or when nothing arrived.
Bytes download_bytes(const Text& url);
