/* A program built against an installed libnexa with nothing but what
 * pkg-config says: it uses the library and, directly and through the
 * library, the configuration daemon's client library. */
#include <stdio.h>
#include <string.h>

#include "expect.h"
#include "nexalib.h"

int main(void) {
  char encoded[8];
  GSList *items = NULL;
  GString *array;
  OdbHandle *h;
  OdbProps *props;
  guint32 oid;

  nexalib_Base64Encode("abc", encoded);
  expect(strcmp(encoded, "YWJj") == 0, "Base64Encode");

  items = g_slist_append(items, g_strdup("a"));
  items = g_slist_append(items, g_strdup("b"));
  array = nexalib_list_to_odb_array(items);
  expect(array != NULL && strcmp(array->str, "&a&b&") == 0, "list to odb array");
  if (array) g_string_free(array, TRUE);
  nexalib_g_slist_free_all(items);

  /* The library's own odb_* references resolve to the client library. */
  h = odb_handle_new();
  expect(h != NULL, "odb_handle_new");
  props = odb_props_new();
  odb_props_set(props, "name", "alice");
  oid = odb_create_cmnd(h, "user", props);
  odb_props_destroy(props);
  expect(oid != 0, "odb_create_cmnd");
  expect(nexalib_find_an_oid_by_name(h, "user", "alice") == (int)oid, "find an oid by name");
  expect(nexalib_find_an_oid_by_name(h, "user", "bob") == 0, "no oid for an unknown name");
  odb_handle_destroy(h);
  return failures == 0 ? 0 : 1;
}
