/* The smallest page a CGI of the appliance serves: read the query through
 * libnexa and answer with one field of it. */
#include <stdio.h>

#include "nexalib.h"

int main(void) {
  GHashTable* form = nexalib_get_get_data();
  const char* name = form ? g_hash_table_lookup(form, "name") : NULL;
  printf("Content-Type: text/plain\r\n\r\n%s\n", name ? name : "");
  if (form) nexalib_g_hash_table_free_all(form);
  return 0;
}
