// The C boundary of the web front-end operations.
#include <libintl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/messages.h"
#include "core/odb_access.h"
#include "core/string_lists.h"
#include "core/sys.h"
#include "nexalib.h"
#include "web/cgi_input.h"
#include "web/form_lists.h"
#include "web/language.h"
#include "web/pages.h"
#include "web/templates.h"

using namespace nexa;

// ---- CGI request input -------------------------------------------------------

// A body that cannot be held or read whole ends the CGI program.
GHashTable* nexalib_get_post_data(void) {
  const sys::Result<FormFields> form = read_post_form(stdin);
  if (form) return to_form_table(*form).release();
  if (form.error() == ENOMEM) say("Unable to allocate buffer\n");
  if (form.error() == EIO) say("input length < CONTENT_LENGTH\n");
  if (form.error() != ENODATA) std::exit(1);
  return nullptr;
}

GHashTable* nexalib_get_get_data(void) {
  return to_form_table(query_form()).release();
}

char nexalib_ui_x2c(const char* what) {
  return what ? hex_pair_value(what) : '\0';
}
void nexalib_ui_unescape_url(char* url) {
  if (url) unescape_url(url);
}
char* lower_case(char* s) {
  for (char* p = s; p && *p; ++p)
    *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return s;
}
char* newstr(const char* s) {
  return s ? strdup(s) : nullptr;
}

int nexalib_getline(char* buf, int n) {
  return buf && n > 0 ? read_line(stdin, buf, n) : 0;
}

void nexalib_ui_reverse(char* s) {
  if (s) std::reverse(s, s + std::strlen(s));
}
void nexalib_ui_itoa(int n, char* buf) {
  if (buf) std::snprintf(buf, 12, "%d", n);
}
char* nexalib_ui_string_replace(const char* s, const char* from, const char* to) {
  if (!s || std::strlen(s) <= 2) return nullptr;
  if (!from || !to || !*from) return strdup(s);
  return strdup(replaced(s, from[0], to[0]).c_str());
}

GSList* nexalib_ui_string_to_list(const char* text) {
  return text ? to_string_list(split_delimited(text, ' ')).release() : nullptr;
}
GSList* nexalib_ui_string_to_list_for_share(const char* array, const char* suffix,
                                            const char* prefix) {
  if (!array) return nullptr;
  return to_string_list(share_list_items(array, prefix ? prefix : "", suffix ? suffix : ""))
      .release();
}
GSList* nexalib_ui_get_name_from_oids(OdbHandle* h, GSList* oids, const char* prefix) {
  return to_string_list(names_of(h, oids, prefix ? prefix : "")).release();
}
GSList* nexalib_ui_remove_entries_from_oids(OdbHandle* h, GSList* names, GSList* oids,
                                            const char* class_name) {
  return h && class_name ? without_named(*h, names, oids, class_name) : g_slist_copy(oids);
}

// ---- HTML template patching and file sending ----------------------------------

PatchMem* AllocatePatchMem(void) {
  return allocate_patch();
}
void FreePatchMem(PatchMem*) {}
char* PatchStrCpy(char* pos, const char* key, const char* value) {
  return pos ? write_patch_line(pos, key ? key : "", value ? value : "") : pos;
}
char* PatchStrstr(const char* text, const char* key) {
  return key ? const_cast<char*>(find_value(text, key)) : nullptr;
}
void AppendPatchMem(PatchMem* p, const char*, const char* name, const char* value) {
  if (p && name) append_page_value(p, name, value ? value : "");
}
void AppendLoopDataToPatchMem(PatchMem* p, const char* loop, const char* name, const char* value,
                              int index) {
  append_loop_value(p, loop, name, value, index);
}
char* FindAndMarkTagArea(char* text, int* length, TagArea* area, PatchMem* p) {
  if (!text || !length || !area) return nullptr;
  return find_area(text, length, area, p);
}
char* FindOutVariableValue(char* pos, int* length, TagArea*, TagValue* value, PatchMem* p,
                           int index) {
  if (!pos || !length || !value) return nullptr;
  return find_variable(pos, length, value, p, index);
}
void HttpSendFile(const char* path, PatchMem* p) {
  send_file(path, p, stdout);
  std::fflush(stdout);
}

// ---- Locale selection and message catalogs -------------------------------------

char* nexalib_get_localePreferenceBrowser(char* buf) {
  if (buf)
    std::snprintf(buf, kMaxLanguageCode + 1, "%s",
                  browser_language(sys::environment("HTTP_ACCEPT_LANGUAGE")).c_str());
  return buf;
}
char* nexalib_get_localePreference(OdbHandle* h) {
  return keep_for_program(request_language(h));
}
char* nexalib_get_wizard_localePreference(OdbHandle* h) {
  return keep_for_program(wizard_language(h));
}
int nexalib_get_dir_locale(char* dest) {
  if (!dest) return 0;
  const sys::Result<std::string> list = installed_languages(NEXALIB_LOCALE_LIST_SIZE);
  const std::string text = list ? *list : "";
  std::memcpy(dest, text.c_str(), text.size() + 1);
  return text.empty() ? 0 : 1;
}
char* nexalib_ui_gettext(const char* lang, const char* domain, const char* msgid) {
  return const_cast<char*>(translate(lang, domain, msgid));
}
char* i18n_odbd_err_msg(const char* lang, char* text) {
  return const_cast<char*>(translate_daemon_error(lang, text));
}
void show_system_error_message(const char* lang, PatchMem* p) {
  patch_error_message(lang, p);
}
void set_charset(const char* lang, PatchMem* p) {
  patch_charset(lang, p);
}
char* nexalib_bindtextdomain(const char* domain, const char* dir) {
  return bindtextdomain(domain, dir);
}
char* nexalib_dcgettext(const char* domain, const char* msgid, int category) {
  return dcgettext(domain, msgid, category);
}
char* nexalib_dgettext(const char* domain, const char* msgid) {
  return dgettext(domain, msgid);
}
char* nexalib_gettext(const char* msgid) {
  return gettext(msgid);
}
char* nexalib_textdomain(const char* domain) {
  return textdomain(domain);
}

// ---- Page redirection and error pages ------------------------------------------

void nexalib_ui_gotoURL(const char* action, int delay) {
  page_goto_url(action, delay);
}
void nexalib_ui_gotoNewIP(const char* host, const char* message, int delay) {
  page_goto_new_ip(host, message, delay);
}
void nexalib_ui_gotoTopURL(const char* path, int delay) {
  page_goto_top_url(path, delay);
}
char* nexalib_ui_odb_error_parse(OdbError* error) {
  return error_message(error);
}
char* nexalib_ui_show_odb_last_errors(GSList* errors) {
  return last_error_message(errors);
}
int nexalib_is_file_exist(const char* path) {
  return path && sys::is_regular_file(path) ? 1 : 0;
}
void nexalib_remove_wizard_nav(OdbHandle* h) {
  if (h) remove_wizard_nav(*h);  // without the daemon nothing is known of the namespaces
}
