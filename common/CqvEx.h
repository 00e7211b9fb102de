#pragma once
// The engine's error type is part of the public API: programs linking the
// library catch it, so it is declared with the public headers.
#include "quorvane/CqvEx.h"
