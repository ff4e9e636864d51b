// Code page 936 <-> UTF-16 for every Win32 call: the W functions with an
// explicit 936 conversion show Chinese correctly on any display language.
#pragma once

#include <string>

#include "platform/text.h"

std::wstring wide_of(const Text& t);
Text text_of_wide(const wchar_t* s, int length);
Text text_of_wide(const std::wstring& s);
