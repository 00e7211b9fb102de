#pragma once
// Item flags, font flags and borders: -1 unset (the default), 0 or 1.
// Only 1 counts as true.
namespace qv {
constexpr int kTriUnset = -1;
constexpr bool TriIsTrue(int v) { return v == 1; }
}  // namespace qv
