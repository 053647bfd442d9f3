// Operations on the callers' own character buffers.
#pragma once

#include <cstddef>

namespace nexa {

// Copies at most n-1 characters and terminates dst[n-1]; n > 0.
void copy_bounded(char* dst, const char* src, size_t n);
// Cuts s at its first line feed; where, or nullptr when there is none.
char* cut_at_line_feed(char* s);
// Moves back from pos over blanks, tabs and terminators; another character
// must come before pos.
char* skip_blank_backwards(char* pos);

}  // namespace nexa
