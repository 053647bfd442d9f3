// The C boundary of the web front-end operations.
#include <libintl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "web/cgi_input.h"
#include "web/language.h"
#include "nexalib.h"
#include "core/odb_access.h"
#include "web/pages.h"
#include "core/string_lists.h"
#include "core/sys.h"
#include "web/templates.h"

using namespace nexa;

// ---- CGI request input -------------------------------------------------------

GHashTable* nexalib_get_post_data(void) {
  const auto announced = content_length();
  if (!announced) return nullptr;
  // On the 32-bit appliance a huge length must not wrap into a small buffer.
  const size_t length = *announced < SIZE_MAX ? static_cast<size_t>(*announced) : 0;
  std::unique_ptr<char[]> body(length ? new (std::nothrow) char[length + 1] : nullptr);
  if (!body) {
    std::printf("Unable to allocate buffer\n");
    std::exit(1);
  }
  if (std::fread(body.get(), 1, length, stdin) != length) {
    std::printf("input length < CONTENT_LENGTH\n");
    std::exit(1);
  }
  body[length] = '\0';
  // The body is a text: it ends at its first zero byte.
  return to_form_table(parse_form(body.get(), true));
}

GHashTable* nexalib_get_get_data(void) {
  // Parsed from a copy: the environment stays as it was, so a second reader
  // (show_system_error_message, for one) sees the whole query too.
  const char* query = std::getenv("QUERY_STRING");
  return to_form_table(query ? parse_form(query, false) : FormFields{});
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
  if (!buf || n <= 0) return 0;
  int count = 0;
  while (count < n) {
    const int c = std::getchar();
    if (c == EOF) break;
    buf[count] = static_cast<char>(c);
    if (c == '\n') return count + 1;
    ++count;
  }
  if (count == n) return n;
  return count == 0 ? 0 : count + 1;
}

void nexalib_ui_reverse(char* s) {
  if (s) std::reverse(s, s + std::strlen(s));
}
void nexalib_ui_itoa(int n, char* buf) {
  if (buf) std::snprintf(buf, 12, "%d", n);
}
char* nexalib_ui_string_replace(const char* s, const char* from, const char* to) {
  if (!s || std::strlen(s) <= 2) return nullptr;
  char* copy = strdup(s);
  if (copy && from && to && *from) std::replace(copy, copy + std::strlen(copy), from[0], to[0]);
  return copy;
}

GSList* nexalib_ui_string_to_list(const char* text) {
  return text ? to_string_list(split_delimited(text, ' ')) : nullptr;
}
GSList* nexalib_ui_string_to_list_for_share(const char* array, const char* suffix,
                                            const char* prefix) {
  if (!array) return nullptr;
  std::vector<std::string> items = split_odb_array(array);
  for (auto& item : items) {
    item.insert(0, prefix ? prefix : "");
    item += suffix ? suffix : "";
  }
  return to_string_list(items);
}
GSList* nexalib_ui_get_name_from_oids(OdbHandle* h, GSList* oids, const char* prefix) {
  std::vector<std::string> names;
  for (GSList* node = oids; node; node = node->next) {
    OdbProps* props = get_main_props(h, oid_of(node));
    const char* name = props ? odb_props_get(props, "name") : nullptr;
    names.push_back(std::string(prefix ? prefix : "") + (name ? name : ""));
  }
  return to_string_list(names);
}
GSList* nexalib_ui_remove_entries_from_oids(OdbHandle* h, GSList* names, GSList* oids,
                                            const char* class_name) {
  GSList* kept = g_slist_copy(oids);
  for (GSList* node = names; node; node = node->next) {
    const guint32 oid =
        first_oid(find_oids_with(h, class_name, "name", static_cast<char*>(node->data)));
    if (oid) kept = g_slist_remove_all(kept, GUINT_TO_POINTER(oid));
  }
  return kept;
}

// ---- HTML template patching and file sending ----------------------------------

PatchMem* AllocatePatchMem(void) {
  return allocate_patch();
}
void FreePatchMem(PatchMem*) {}
char* PatchStrCpy(char* pos, const char* key, const char* value) {
  if (!pos) return pos;
  const int n = std::sprintf(pos, "%s=%s\n", key ? key : "", value ? value : "");
  return pos + n;
}
char* PatchStrstr(const char* text, const char* key) {
  return key ? const_cast<char*>(find_value(text, key)) : nullptr;
}
void AppendPatchMem(PatchMem* p, const char*, const char* name, const char* value) {
  if (p && name) append_variable(p, std::string(name) + "_0", value ? value : "");
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
                  browser_language(std::getenv("HTTP_ACCEPT_LANGUAGE")).c_str());
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
  GHashTable* form = nexalib_get_get_data();
  auto* err_msg = static_cast<char*>(g_hash_table_lookup(form, "err_msg"));
  AppendPatchMem(p, "ERR_MSG", "err_msg", err_msg ? i18n_odbd_err_msg(lang, err_msg) : "");
  free_record_table(form);
}
void set_charset(const char* lang, PatchMem* p) {
  const Charset charset = charset_of(lang ? lang : "");
  AppendPatchMem(p, "CHARSET", "charset", charset.charset);
  AppendPatchMem(p, "CHARSETID", "charsetid", charset.charset_id);
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
  remove_wizard_nav(h);
}
void nexalib_mini_mode_set(void) {
  set_minimal_mode();
}
