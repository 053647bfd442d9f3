// Operations on the callers' own character buffers.
#include "core/c_strings.h"

#include <cstring>

namespace nexa {

void copy_bounded(char* dst, const char* src, size_t n) {
  dst[n - 1] = '\0';
  std::strncpy(dst, src, n - 1);  // NOLINT(bugprone-not-null-terminated-result): terminated above
}

char* cut_at_line_feed(char* s) {
  char* lf = std::strchr(s, '\n');
  if (lf) *lf = '\0';
  return lf;
}

char* skip_blank_backwards(char* pos) {
  while (*pos == ' ' || *pos == '\t' || *pos == '\0') --pos;
  return pos;
}

}  // namespace nexa
