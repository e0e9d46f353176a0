// The one assertion of the fuzz targets: a property that does not hold stops the run, and the
// fuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>

namespace tavrin::fuzz {

inline void check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace tavrin::fuzz
