// Conversions between the program's code page 936 texts and UTF-16.
#include "platform/win32/wide.h"

#include <windows.h>

namespace {
constexpr UINT kCodePage = 936;
}

std::wstring wide_of(const Text& t) {
    if (t.empty()) return std::wstring();
    int n = MultiByteToWideChar(kCodePage, 0, t.data(), static_cast<int>(t.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage, 0, t.data(), static_cast<int>(t.size()), &w[0], n);
    return w;
}

Text text_of_wide(const wchar_t* s, int length) {
    if (!s || length <= 0) return Text();
    int n = WideCharToMultiByte(kCodePage, 0, s, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return Text();
    Text t(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, 0, s, length, &t[0], n, nullptr, nullptr);
    return t;
}

Text text_of_wide(const std::wstring& s) {
    return text_of_wide(s.data(), static_cast<int>(s.size()));
}
