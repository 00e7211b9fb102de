#pragma once
/// @file
/// Marks the declarations the shared library exports. The library is built
/// with hidden visibility, so only what carries this mark is visible to the
/// programs that link it.

/// Exports a class or function from libquorvane.
#define QUORVANE_API __attribute__((visibility("default")))
