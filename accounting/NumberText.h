// SPDX-License-Identifier: MIT
#pragma once
// Numbers in the dialogs' edit fields: text to number and back with the
// locale's decimal separator, and which typed keys a number field takes.

#include <optional>
#include <stdexcept>
#include <string>

namespace tarifuhr {

// "'%s' ist kein gültiger Gleitkommawert" with the field's text.
class FloatConversionError : public std::runtime_error {
 public:
  explicit FloatConversionError(const std::string& text);
};

// Blanks around the text, an optional sign, digits with at most one
// decimal separator and an optional exponent; nothing else. Throws
// FloatConversionError.
double TextToFloat(const std::string& text, char decimalSeparator);

// Shortest general form with up to 15 significant digits: 0 -> "0",
// 1000 -> "1000", 1.5 -> "1,5"; exponent form only below 1E-5 and from
// 1E15 on.
std::string FloatToText(double value, char decimalSeparator);

enum class NumberKind { Whole, Decimal };

inline constexpr char kBackspace = '\b';

// What a key typed into a number field becomes: the character to insert,
// or nothing when the key is dropped. Whole numbers take digits and
// backspace; decimal numbers also one separator, where "." and "," both
// stand for the locale's separator.
std::optional<char> FilterNumberKey(NumberKind kind, char key, const std::string& fieldText,
                                    char decimalSeparator);

}  // namespace tarifuhr
