// The one way a fuzz target reports a broken invariant: stop at once, so
// that libFuzzer keeps the input and a corpus replay fails.
#pragma once

// Traps when holds is false.
inline void require(bool holds) {
  if (!holds) __builtin_trap();
}
