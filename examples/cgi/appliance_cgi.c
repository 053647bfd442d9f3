/* The "add a folder share" page of the web interface, as the appliance's
 * CGI programs are written: a GET (or the redirect page's re-post) shows
 * the form and the shares the configuration holds, in the browser's
 * language; a POST of the form creates the FolderShare object and answers
 * with the redirect page back to this program.
 *
 * The page template lives under /usr/webroot and the catalogs under
 * /usr/share/locale (both inside NEXALIB_ROOT when it is set). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "nexalib.h"
#include "odb.h"

static const char *const kPage = "/usr/webroot/shares.html";
static const char *const kSelf = "appliance.cgi";
static const char *const kDomain = "message";

static const char *entity_of(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&#39;";
    default:
      return NULL;
  }
}

/* The template engine prints values as they are: everything that comes
 * from the user or a catalog goes through here first. The result is
 * malloc'ed; NULL when memory is lacking. */
static char *html_escaped(const char *text) {
  size_t size = 1;
  const char *in;
  char *out, *end;
  for (in = text; *in; ++in) size += entity_of(*in) ? strlen(entity_of(*in)) : 1;
  out = malloc(size);
  if (!out) return NULL;
  for (in = text, end = out; *in; ++in) {
    const char *entity = entity_of(*in);
    if (entity) {
      memcpy(end, entity, strlen(entity));
      end += strlen(entity);
    } else {
      *end++ = *in;
    }
  }
  *end = '\0';
  return out;
}

static void append_escaped(PatchMem *p, const char *name, const char *value) {
  char *safe = html_escaped(value ? value : "");
  AppendPatchMem(p, name, name, safe ? safe : "");
  free(safe);
}

static void append_loop_escaped(PatchMem *p, const char *name, const char *value, int index) {
  char *safe = html_escaped(value ? value : "");
  AppendLoopDataToPatchMem(p, "shares", name, safe ? safe : "", index);
  free(safe);
}

static void append_label(PatchMem *p, const char *lang, const char *name, const char *msgid) {
  append_escaped(p, name, nexalib_ui_gettext(lang, kDomain, msgid));
}

/* One loop pass per share; a loop without any pass would end the page at
 * the table, so an empty configuration gets one row saying so. */
static void add_share_rows(OdbHandle *h, PatchMem *p, const char *lang) {
  GSList *node;
  int index = 0;
  for (node = find_classname_oids(h, "FolderShare"); node; node = node->next) {
    int oid = (int)GPOINTER_TO_UINT(node->data);
    OdbProps *share = get_data_by_handle_oid(h, &oid);
    if (!share) continue;
    append_loop_escaped(p, "shareName", odb_props_get(share, "name"), index);
    append_loop_escaped(p, "shareDescription", odb_props_get(share, "description"), index);
    ++index;
  }
  if (index == 0) {
    append_loop_escaped(p, "shareName", nexalib_ui_gettext(lang, kDomain, "No shares yet"), 0);
    append_loop_escaped(p, "shareDescription", "", 0);
  }
}

static void show_page(OdbHandle *h) {
  PatchMem *p = AllocatePatchMem();
  const char *lang = nexalib_get_localePreference(h);
  if (!p) {
    printf("Content-type:text/html\n\nOut of memory\n");
    return;
  }
  set_charset(lang, p);
  append_escaped(p, "lang", lang);
  append_label(p, lang, "title", "Add a folder share");
  append_label(p, lang, "nameLabel", "Share name");
  append_label(p, lang, "descriptionLabel", "Description");
  append_label(p, lang, "submitLabel", "Add");
  append_label(p, lang, "listTitle", "Existing shares");
  show_system_error_message(lang, p);
  add_share_rows(h, p, lang);
  HttpSendFile(kPage, p);
}

static const char *form_value(GHashTable *form, const char *key) {
  return form ? (const char *)g_hash_table_lookup(form, key) : NULL;
}

/* Creates the share the form asks for; the redirect carries the message id
 * of what went wrong ("+" for blanks, as a query), which the page then
 * shows translated. */
static void add_share(OdbHandle *h, GHashTable *form) {
  const char *name = form_value(form, "shareName");
  const char *description = form_value(form, "description");
  OdbProps *props;
  guint32 oid;
  if (!name) {
    nexalib_ui_gotoURL("appliance.cgi?err_msg=A+share+needs+a+name.", 0);
    return;
  }
  if (nexalib_find_an_oid_by_name(h, "FolderShare", name) > 0) {
    nexalib_ui_gotoURL("appliance.cgi?err_msg=A+share+of+that+name+exists+already.", 0);
    return;
  }
  props = odb_props_new();
  odb_props_set(props, "name", name);
  odb_props_set(props, "description", description ? description : "");
  odb_props_set(props, "isDisk", "0");
  odb_props_set(props, "allowForAll", "1");
  oid = odb_create_cmnd(h, "FolderShare", props);
  odb_props_destroy(props);
  nexalib_ui_gotoURL(oid ? kSelf : "appliance.cgi?err_msg=The+share+could+not+be+created.", 0);
}

/* Only this page's own form adds a share; the redirect page re-posts an
 * empty multipart form, which just shows the page again. */
static int is_add_request(GHashTable *form) {
  const char *op = form_value(form, "op");
  return op && strcmp(op, "add") == 0;
}

int main(void) {
  const char *method = getenv("REQUEST_METHOD");
  /* Without the daemon this prints the error page and ends the program. */
  OdbHandle *h = nexalib_connect_daemon_by_socket_file();
  GHashTable *form = NULL;
  if (method && strcmp(method, "POST") == 0) form = nexalib_get_post_data();
  if (is_add_request(form))
    add_share(h, form);
  else
    show_page(h);
  if (form) nexalib_g_hash_table_free_all(form);
  nexalib_bye_bye_socket_file_success(h);
  return 0;
}
