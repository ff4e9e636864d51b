// The built-in URLs. Compiled into each executable on its own (see
// tallowin_remote_config in info/CMakeLists.txt), so the end-to-end build
// can point the same sources at a loopback server.
#include "info/remote_config.h"

#ifndef TALLOWIN_REMOTE_BASE_URL
#error "TALLOWIN_REMOTE_BASE_URL must come from the build"
#endif
#ifndef TALLOWIN_AUTHOR_PAGE_URL
#error "TALLOWIN_AUTHOR_PAGE_URL must come from the build"
#endif

const char* const RemoteBase = TALLOWIN_REMOTE_BASE_URL;
const char* const LatestVersionUrl = TALLOWIN_REMOTE_BASE_URL "/raw/master/%E7%89%88%E6%9C%AC.txt";
const char* const AnnouncementUrl = TALLOWIN_REMOTE_BASE_URL "/raw/master/%E5%85%AC%E5%91%8A.txt";
const char* const AuthorPage = TALLOWIN_AUTHOR_PAGE_URL;
