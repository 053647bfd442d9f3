/* The public header as a C99 program sees it: it compiles without warnings
 * and the program links and runs against libnexa.so.0. */
#include <stdio.h>
#include <string.h>

#include "expect.h"
#include "nexalib.h"

int main(void) {
  char copy[4];
  char encoded[16];
  unsigned char decoded[16];
  GSList *items;
  GString *array;

  expect(strcmp(nexalib_safe_strncpy(copy, "abcdef", sizeof copy), "abc") == 0, "safe_strncpy");

  nexalib_Base64Encode("abc", encoded);
  expect(strcmp(encoded, "YWJj") == 0, "Base64Encode");
  expect(nexalib_Base64Decode("YW Jj\n", decoded, (int)sizeof decoded) == 3, "Base64Decode");

  items = nexalib_odb_array_to_list("&a&b&c&");
  expect(g_slist_length(items) == 3, "odb array to list");
  array = nexalib_list_to_odb_array(items);
  expect(array != NULL && strcmp(array->str, "&a&b&c&") == 0, "list to odb array");
  g_string_free(array, TRUE);
  nexalib_g_slist_free_all(items);

  expect(nexalib_bye_bye_handler_success(NULL) == -1, "bye-bye on a null handle");
  expect(strcmp(LEDSlotDisk[1], "GPIO1_28") == 0 && BUTSlotDisk[5] == NULL, "exported slot tables");
  return failures == 0 ? 0 : 1;
}
