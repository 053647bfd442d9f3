// The C boundary of the core operations: each exported function converts
// its arguments, calls the library's C++ code and converts the result.
#include "nexalib.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/base64.h"
#include "core/c_strings.h"
#include "core/commands.h"
#include "core/directories.h"
#include "core/dumps.h"
#include "core/file_locks.h"
#include "core/messages.h"
#include "core/odb_access.h"
#include "core/owners.h"
#include "core/string_lists.h"
#include "core/text_files.h"
#include "core/time_text.h"

using namespace nexa;

namespace {

const char* text_or_empty(const char* text) {
  return text ? text : "";
}

// The documented out-parameter: set only when the lookup reached an object.
OdbProps* with_oid(const Found& found, int* oid) {
  if (oid && found.oid) *oid = static_cast<int>(found.oid);
  return found.props;
}

GString* to_gstring_or_null(bool empty, const std::string& text) {
  return empty ? nullptr : g_string_new_len(text.data(), static_cast<gssize>(text.size()));
}

}  // namespace

// ---- Configuration connection and lookup ----------------------------------

// Without the daemon a CGI program or handler cannot go on: the process
// ends with status 1 after the documented message.
OdbHandle* nexalib_connect_daemon_by_socket_file(void) {
  const sys::Result<OdbHandle*> h = connect_cgi();
  if (h) return *h;
  if (h.error() != ECONNREFUSED) return nullptr;
  say("Content-type:text/html%c%c", 10, 10);
  say("FATAL: The crucial daemon was not found<br>");
  say("FATAL: Please make sure it is running properply<br>");
  std::exit(1);
}
OdbHandle* nexalib_connect_daemon(int* oid) {
  guint32 given = 0;
  const sys::Result<OdbHandle*> h = connect_handler(given);
  if (oid) *oid = static_cast<int>(given);
  if (h) return *h;
  if (h.error() != ECONNREFUSED) return nullptr;
  say("FATAL: failt to connect daemon\n");
  std::exit(1);
}
int nexalib_bye_bye_handler_success(OdbHandle* h) {
  return h ? bye_handler(*h, 0, "") : -1;
}
int nexalib_bye_bye_handler_fail(OdbHandle* h, const char* message) {
  return h ? bye_handler(*h, 1, text_or_empty(message)) : -1;
}
int nexalib_bye_bye_socket_file_success(OdbHandle* h) {
  return h ? bye_cgi(*h) : -1;
}
int nexalib_bye_bye_socket_file_fail(OdbHandle* h) {
  return h ? bye_cgi(*h) : -1;
}

GSList* find_classname_oids(OdbHandle* h, const char* class_name) {
  return h && class_name ? find_class_oids(*h, class_name) : nullptr;
}
GSList* nexalib_get_class_oids_by_key_and_val(OdbHandle* h, const char* class_name, const char* key,
                                              const char* value) {
  return h && class_name && key && value ? find_oids_with(*h, class_name, key, value) : nullptr;
}
int nexalib_find_an_oid_by_name(OdbHandle* h, const char* class_name, const char* name) {
  return static_cast<int>(
      first_oid(nexalib_get_class_oids_by_key_and_val(h, class_name, "name", name)));
}
int get_oids_numbers(GSList* oids) {
  return static_cast<int>(g_slist_length(oids));
}
OdbProps* get_data_by_handle_oid(OdbHandle* h, int* oid) {
  return h && oid ? get_main_props(*h, static_cast<guint32>(*oid)) : nullptr;
}
OdbProps* nexalib_get_objectOid_and_compare(OdbHandle* h, int* oid, const char* class_name,
                                            const char* key, const char* value) {
  if (!h || !class_name) return nullptr;
  if (!key || !value) {
    // Nothing matches, but the walk still ends at the last candidate.
    GSList* candidates = find_class_oids(*h, class_name);
    if (oid && candidates) *oid = static_cast<int>(oid_of(g_slist_last(candidates)));
    return nullptr;
  }
  return with_oid(find_and_compare(*h, class_name, key, value), oid);
}
OdbProps* nexalib_get_system(OdbHandle* h) {
  return nexalib_get_system_namespace_and_oid(h, nullptr, "");
}
OdbProps* nexalib_get_system_namespace(OdbHandle* h, const char* ns) {
  return nexalib_get_system_namespace_and_oid(h, nullptr, ns);
}
OdbProps* nexalib_get_system_namespace_and_oid(OdbHandle* h, int* oid, const char* ns) {
  if (!h) return nullptr;
  const Found found = system_namespace(*h, text_or_empty(ns));
  return with_oid(found, oid);
}
OdbProps* nexalib_get_system_and_oid(OdbHandle* h, int* oid) {
  return h ? with_oid(system_and_oid(*h), oid) : nullptr;
}
OdbProps* nexalib_get_network(OdbHandle* h) {
  return h ? first_network(*h) : nullptr;
}
OdbProps* nexalib_get_network_and_oid(OdbHandle* h, int* oid, const char* dev_name) {
  return h && dev_name ? with_oid(network_by_device(*h, dev_name), oid) : nullptr;
}

int nexalib_toggle_system_namespace_commit(OdbHandle* h, const char* ns) {
  if (h) toggle_system_namespace_commit(*h, text_or_empty(ns));
  return 0;
}
int nexalib_props_update(OdbProps* changes, OdbProps* current, const char* key, const char* value) {
  if (changes && key && value) props_update(*changes, current, key, value);
  return 0;
}
unsigned int nexalib_props_new_count(OdbProps* p) {
  return p && p->new_values ? g_hash_table_size(p->new_values) : 0;
}
unsigned int nexalib_props_old_count(OdbProps* p) {
  return p && p->old_values ? g_hash_table_size(p->old_values) : 0;
}
int nexalib_get_bootup_type(OdbHandle* h) {
  return h && boots_from_disk(*h) ? 1 : 0;
}
int nexalib_toggle_daemon(OdbProps* p, const char* script, int flags) {
  if (p && script) toggle_daemon(*p, script, flags);
  return 0;
}

// ---- Lists, hash tables and text files ------------------------------------

void nexalib_g_slist_free_buffer(gpointer data, gpointer) {
  std::free(data);
}
void nexalib_g_slist_free_all(GSList* list) {
  release_models_in(list);
  StringListFree()(list);
}
gboolean nexalib_g_hash_table_free_buffer(gpointer key, gpointer value, gpointer user_data) {
  return free_table_entry(key, value, user_data);
}
void nexalib_g_hash_table_free_all(GHashTable* table) {
  free_record_table(table);
}
void nexalib_g_slist_free_all_hash(GSList* records) {
  release_models_in(records);
  RecordListFree()(records);
}

char* nexalib_safe_strncpy(char* dst, const char* src, size_t n) {
  if (dst && n > 0) copy_bounded(dst, src ? src : "", n);
  return dst;
}
char* nexalib_RemoveCR(char* s) {
  return s ? cut_at_line_feed(s) : nullptr;
}
void convert_array_to_argv_style(char** argv, char* s, const char* delim) {
  if (argv && s) split_in_place(argv, s, delim ? delim[0] : '\0');
}

GString* nexalib_list_to_odb_array(GSList* list) {
  return to_gstring_or_null(list == nullptr, join_odb_array(list_items(list)));
}
GSList* nexalib_odb_array_to_list(const char* array) {
  return array ? to_string_list(split_odb_array(array)).release() : nullptr;
}
GString* nexalib_list_to_group_member_format(GSList* list) {
  return to_gstring_or_null(list == nullptr, join_group_members(list_items(list)));
}
GSList* nexalib_delete_member_from_list(GSList* list, const char* member) {
  return member ? delete_member(list, member) : list;
}
GSList* nexalib_get_list_by_key(GSList* lines, const char* key) {
  return key ? find_line_with_key(lines, key) : nullptr;
}
GSList* nexalib_remove_record_from_list(GSList* lines, const char* pattern) {
  return pattern ? remove_records(lines, pattern) : lines;
}

int nexalib_check_duplicate_class_nameval(OdbHandle* h, const char* class_name, const char* value) {
  return h && class_name && value && count_named(*h, class_name, value) == 1 ? 0 : -1;
}
int nexalib_isexist_class_nameval(OdbHandle* h, const char* class_name, const char* value) {
  return h && class_name && value && count_named(*h, class_name, value) > 0 ? 1 : 0;
}

int nexalib_output_to_file(GString* text, const char* path, mode_t mode) {
  if (!text || !path) return 1;
  // The string ends at a zero byte.
  return write_back(path, [&] { return write_text_file(text->str, path, mode); }) ? 0 : 1;
}
int nexalib_put_a_line_to_txt_file(const char* text, const char* path, mode_t mode) {
  if (!text || !path) return 1;
  return write_back(path, [&] { return write_text_file(text, path, mode); }) ? 0 : 1;
}
int nexalib_put_list_to_txt_file(GSList* lines, const char* path, mode_t mode) {
  if (!path) return 1;
  const auto write = [&] { return write_lines(list_items(lines), path, mode); };
  return write_back(path, write, lines) ? 0 : 1;
}
GSList* nexalib_load_txt_file_to_list(const char* path) {
  if (!path) return nullptr;
  return load_model(path, [&]() -> GSList* {
    const sys::Result<std::vector<std::string>> lines = load_lines(path);
    return lines ? to_string_list(*lines).release() : nullptr;
  });
}
GSList* nexalib_etc_group_to_list(void) {
  return nexalib_load_txt_file_to_list(sys::kGroupFile);
}
int nexalib_put_to_group_file(GSList* lines) {
  // A group file kept private (0640, say) stays so.
  const sys::Result<mode_t> kept = sys::permissions(sys::kGroupFile);
  return nexalib_put_list_to_txt_file(lines, sys::kGroupFile, kept ? *kept : 0644);
}

void nexalib_dump_props_to_file(OdbProps* p) {
  dump_props_to_file(p);
}
void nexalib_dump_list_data_to_file(GSList* list) {
  dump_list_to_file(list);
}
void nexalib_dump_list_int(GSList* oids) {
  dump_oid_list(oids);
}
void nexalib_dump_list_string(GSList* list) {
  dump_string_list(list);
}
void nexalib_dump_hash_table_key_val(gpointer key, gpointer value, gpointer user_data) {
  dump_table_entry(key, value, user_data);
}
void nexalib_dump_list_hash_table(GSList* records) {
  dump_record_list(records);
}
char* nexalib_skip_blank(const char* s) {
  return const_cast<char*>(s ? skip_blank(s) : s);
}
char* nexalib_skip_rblank(char* pos) {
  return pos ? skip_blank_backwards(pos) : pos;
}

// ---- Shell commands and small utilities -----------------------------------

int bb_xasprintf(char** out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = vasprintf(out, format, args);
  va_end(args);
  return result < 0 ? result : 0;
}
// The one raw path for command lines: these callers pass several words by
// design and quote what they put in.
int nexalib_system(const char* command, const char* argument) {
  std::string line = command ? command : "";
  line += ' ';
  line += argument ? argument : "";
  run_discarding_output(CommandLine::from_caller(line));
  return 0;
}
int nexalib_system_2(const char* format, ...) {
  if (!format) return -1;
  va_list args;
  va_start(args, format);
  const std::string line = format_command(format, args);
  va_end(args);
  return run_discarding_output(CommandLine::from_caller(line));
}
void nexalib_system_getResult(const char* command, const char* tmp_path, char* result) {
  if (!result) return;
  result[0] = '\0';
  if (!command || !tmp_path) return;
  const std::string line = run_for_first_line(CommandLine::from_caller(command), tmp_path);
  std::memcpy(result, line.c_str(), line.size() + 1);
}

int isdir(const char* path) {
  return path && sys::is_directory(path) ? 1 : 0;
}
int nexalib_create_dir(const char* path, mode_t mode) {
  if (!path) return 0;
  switch (create_directories(path, mode)) {
    case DirectoriesMade::kAll: return 0;
    case DirectoriesMade::kNotMade: return -1;
    case DirectoriesMade::kModeNotSet: return -2;
  }
  return -2;
}

char* nexalib_get_tick(char* buf) {
  if (buf) std::snprintf(buf, 12, "%s", tick_text().c_str());
  return buf;
}
char* nexalib_get_localtime(const char* seconds, char* buf) {
  if (buf) std::snprintf(buf, 20, "%s", local_time_text(seconds ? seconds : "0").c_str());
  return buf;
}

void nexalib_Base64Encode(const char* src, char* dst) {
  if (!dst) return;
  const std::string encoded = base64_encode(src ? src : "");
  std::memcpy(dst, encoded.c_str(), encoded.size() + 1);
}
int nexalib_Base64Decode(const char* text, unsigned char* out, int out_size) {
  if (!text || !out || out_size <= 0) return 0;
  return static_cast<int>(base64_decode(text, out, static_cast<size_t>(out_size)));
}
char* nexalib_get_decoed_password(const char* text, char* dst) {
  if (!dst || !text) return dst;
  const std::string password = decode_password(text);
  // No terminator of its own: the caller's buffer comes zeroed.
  // NOLINTNEXTLINE(bugprone-not-null-terminated-result)
  std::memcpy(dst, password.data(), password.size());
  return dst;
}
