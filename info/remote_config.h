// Where the program finds its published files and its author's page. Fixed
// when the program is built (the CMake cache variables TALLOWIN_REMOTE_BASE
// and TALLOWIN_AUTHOR_PAGE); nothing changes them at run time.
#pragma once

// The folder the two published files live under: scheme, host, account and
// repository of a code-hosting service, without a trailing slash.
extern const char* const RemoteBase;
// The base followed by the path of 版本.txt, percent-encoded in UTF-8.
extern const char* const LatestVersionUrl;
// The base followed by the path of 公告.txt, percent-encoded in UTF-8.
extern const char* const AnnouncementUrl;
extern const char* const AuthorPage;
