#pragma once
// Raised where a long loop finds that the user asked to stop (SIGTERM, Ctrl-C,
// the progress dialog's Cancel). It is a CqvEx, so every caller that cleans up
// after a failure cleans up after a stop too; callers that tell the two apart
// (a cancelled preview shows no error) catch this first.
#include "common/CqvEx.h"

class CqvStopped : public CqvEx {
public:
    CqvStopped() : CqvEx("Stopped at the user's request") {}
};
