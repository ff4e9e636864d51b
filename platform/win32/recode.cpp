// recode_bytes through UTF-16 with the system's own code-page conversion, in
// its strict form: MB_ERR_INVALID_CHARS rejects invalid and truncated input,
// and for code page 936 WC_NO_BEST_FIT_CHARS with the used-default flag tells
// a character GBK lacks from one it has.
#include "platform/win32/recode.h"

#include <windows.h>

#include <climits>
#include <string>

namespace {

UINT code_page_of(const Text& name) {
    const Text n = lower_ascii(name);
    if (n == "utf-8") return CP_UTF8;
    if (n == "gbk") return 936;
    return 0;
}

}  // namespace

Bytes recode_bytes(const Bytes& bytes, const Text& from, const Text& to) {
    const UINT source = code_page_of(from), target = code_page_of(to);
    if (bytes.empty() || !source || !target || bytes.size() > INT_MAX / 2) return Bytes();
    const char* in = reinterpret_cast<const char*>(bytes.data());
    const int in_len = static_cast<int>(bytes.size());
    const int wide_len = MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, in, in_len, nullptr, 0);
    if (wide_len <= 0) return Bytes();
    std::wstring wide(static_cast<std::size_t>(wide_len), L'\0');
    if (MultiByteToWideChar(source, MB_ERR_INVALID_CHARS, in, in_len, &wide[0], wide_len) !=
        wide_len)
        return Bytes();

    // CP_UTF8 takes neither flag; every UTF-16 string it is given here came
    // from a strict decode, so it has no lone surrogate to lose.
    const DWORD flags = target == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    BOOL* used = target == CP_UTF8 ? nullptr : &used_default;
    const int out_len =
        WideCharToMultiByte(target, flags, wide.data(), wide_len, nullptr, 0, nullptr, used);
    if (out_len <= 0 || used_default) return Bytes();
    Bytes out(static_cast<std::size_t>(out_len));
    if (WideCharToMultiByte(target, flags, wide.data(), wide_len,
                            reinterpret_cast<char*>(out.data()), out_len, nullptr,
                            used) != out_len ||
        used_default)
        return Bytes();
    return out;
}
