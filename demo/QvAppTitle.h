#pragma once
// The demonstration application's title: the caption of its message boxes and
// the name its settings are kept under.
inline constexpr const char* kQvAppTitle = "QuorvaneDemo";
