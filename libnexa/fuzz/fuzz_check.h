// What a fuzz target asserts: a property that must hold for every input.
#pragma once

#include <cstdlib>

namespace nexa::fuzz {

inline void check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace nexa::fuzz
