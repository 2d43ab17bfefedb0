// SPDX-License-Identifier: MIT
#pragma once
// Conversions between UTF-8 (the program's memory) and the single-byte code
// pages of its files and the mail wire.

#include <string>
#include <string_view>

namespace tarifuhr {

std::string Cp1252ToUtf8(std::string_view bytes);
// Characters that Windows-1252 lacks, and invalid UTF-8, become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

std::string Latin1ToUtf8(std::string_view bytes);
std::string Utf8ToLatin1(std::string_view utf8);

// Decodes one code point at `pos` and advances it; invalid sequences give
// U+FFFD and advance by one byte.
char32_t NextCodePoint(std::string_view utf8, size_t& pos);
void AppendUtf8(std::string& out, char32_t cp);

// The first `n` characters of a UTF-8 text, and the text without its last
// character: cuts never split a character.
std::string FirstCharacters(std::string_view utf8, size_t n);
void DropLastCharacter(std::string& utf8);

// Case folding of Windows-1252 letters, for names compared without regard
// to case (INI sections and keys, the registry).
std::string FoldCaseCp1252(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace tarifuhr
