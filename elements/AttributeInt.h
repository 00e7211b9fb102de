#pragma once
// Plain numbers in templates (font sizes, flags, the padding shorthand) are
// read by the C library's decimal rules: leading white space and a sign are
// allowed, reading stops at the first non-digit, and no digits give 0.
#include <cstdint>

// Out-of-range values saturate instead of being undefined.
int32_t AttributeInt(const char* text);

// |value|, with the most negative value giving the most positive one.
int32_t AbsoluteValue(int32_t value);
