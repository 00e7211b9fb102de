#pragma once
/// @file
/// Marks the declarations the shared library exports. The library is built
/// with hidden visibility, so only what carries this mark is visible to the
/// programs that link it.

/// Exports a class or function from libquorvane.
#define QUORVANE_API __attribute__((visibility("default")))

/// Keeps a private member of an exported class out of the library's exports:
/// programs never call it, so it is no part of the interface.
#define QUORVANE_LOCAL __attribute__((visibility("hidden")))
