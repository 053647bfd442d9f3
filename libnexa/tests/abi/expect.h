/* The C programs' one check: counts and reports what did not hold. */
#ifndef NEXA_ABI_EXPECT_H
#define NEXA_ABI_EXPECT_H

#include <stdio.h>

static int failures = 0;

static void expect(int condition, const char *what) {
  if (!condition) {
    printf("FAILED: %s\n", what);
    failures++;
  }
}

#endif
