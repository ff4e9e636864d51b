// Text, Bytes and TextList: the byte strings every part of the program passes
// around, and the operations on them. Text is code page 936; a byte of 0x80 or
// above starts a double-byte character, which searching steps over whole.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Owned code page 936 byte string without embedded zero bytes; the empty text
// and a missing text are the same value. Positions count bytes, from 1.
using Text = std::string;

// Owned byte buffer that may hold zero bytes.
using Bytes = std::vector<std::uint8_t>;

// Indexed from 1 through list_item; out-of-range indexing is a fatal error.
using TextList = std::vector<Text>;

const Text& list_item(const TextList& list, int index);
int list_size(const TextList& list);

int text_len(const Text& t);
Text left_of(const Text& t, int n);
Text right_of(const Text& t, int n);
Text mid_of(const Text& t, int pos, int n);
// The longest start of t made of whole characters and at most n bytes: a
// cut that never splits a double-byte character.
Text left_whole_chars(const Text& t, int n);

// Position (1-based) of the first occurrence of s at or after start, or -1.
// start below 1 means 1. ignore_case folds ASCII letters only.
int find_first(const Text& t, const Text& s, int start = 1, bool ignore_case = false);
int find_last(const Text& t, const Text& s);

Text trim_blanks(const Text& t);
Text substitute(const Text& t, const Text& old_part, const Text& new_part = Text(),
                bool case_sensitive = true);
TextList split_on(const Text& t, const Text& sep);
Text lower_ascii(const Text& t);
Text char_text(int code);
Text spaces(int n);
Bytes zero_bytes(int n);
int bytes_len(const Bytes& b);
Bytes bytes_head(const Bytes& b, int n);
Text join_text(std::initializer_list<Text> parts);
Bytes join_bytes(std::initializer_list<Bytes> parts);
int text_cmp(const Text& a, const Text& b);
