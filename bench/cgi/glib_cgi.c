/* The same page as nexa_cgi.c on GLib alone: the yardstick for what
 * loading libnexa adds to a CGI's start. */
#include <glib.h>
#include <stdio.h>
#include <stdlib.h>

int main(void) {
  const char* query = getenv("QUERY_STRING");
  GHashTable* form = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
  gchar** pairs = g_strsplit(query ? query : "", "&", -1);
  for (gchar** pair = pairs; *pair; ++pair) {
    gchar** field = g_strsplit(*pair, "=", 2);
    if (field[0] && *field[0])
      g_hash_table_replace(form, g_strdup(field[0]),
                           g_strdelimit(g_strdup(field[1] ? field[1] : ""), "+", ' '));
    g_strfreev(field);
  }
  g_strfreev(pairs);
  const char* name = g_hash_table_lookup(form, "name");
  printf("Content-Type: text/plain\r\n\r\n%s\n", name ? name : "");
  g_hash_table_destroy(form);
  return 0;
}
