#pragma once

#include <cstdlib>

// A broken property ends the fuzz run at once, so that the driver and libFuzzer both see it.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
