/* libnexa: management operations of the NAS appliance.
 *
 * Every exported operation of the library is declared here and nowhere
 * else. Conventions: 0 means success and a negative value failure unless an
 * operation says otherwise; a null pointer means failure or "nothing".
 * Strings the caller frees are allocated with malloc; GString results are
 * freed with g_string_free(s, TRUE); string lists with
 * nexalib_g_slist_free_all. Lists and props obtained from the configuration
 * daemon's client library (odb.h) belong to that library and are never freed
 * by the caller.
 *
 * The library is built with 64-bit time and file offsets; no declaration
 * here uses time_t, off_t or any other type whose size they change, so
 * programs built either way may call it.
 */
#ifndef NEXALIB_H
#define NEXALIB_H

#include <glib.h>
#include <mntent.h>
#include <pwd.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/types.h>

#include "odb.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NEXALIB_API __attribute__((visibility("default")))
#define NEXALIB_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define NEXALIB_API
#define NEXALIB_PRINTF(f, a)
#endif

/* ---- Configuration connection and lookup ---------------------------- */

/* The connections return a handle the caller owns until a bye-bye operation
 * destroys it.
 * For CGI programs: connects through "/usr/trellis/odbd.socket". When the
 * daemon cannot be reached, prints an HTML error page and ends the process
 * with status 1. */
NEXALIB_API OdbHandle *nexalib_connect_daemon_by_socket_file(void);
/* For handlers: connects as a handler and stores the oid it runs for in
 * *oid; ends the process with status 1 when the daemon gives no oid. The
 * caller owns the handle until a bye-bye operation destroys it. */
NEXALIB_API OdbHandle *nexalib_connect_daemon(int *oid);
/* The bye-bye operations end the connection, destroy the handle and return
 * the client library's result; -1 for a null handle. */
NEXALIB_API int nexalib_bye_bye_handler_success(OdbHandle *h);
NEXALIB_API int nexalib_bye_bye_handler_fail(OdbHandle *h, const char *message);
NEXALIB_API int nexalib_bye_bye_socket_file_success(OdbHandle *h);
NEXALIB_API int nexalib_bye_bye_socket_file_fail(OdbHandle *h);

/* oid lists returned here belong to the client library (valid until the
 * handle is destroyed) and are never freed by the caller; NULL when no object
 * matches.
 * The oids of the class's objects; the list belongs to the client library. */
NEXALIB_API GSList *find_classname_oids(OdbHandle *h, const char *class_name);
/* The oids of the class's objects whose property key is value; the list
 * belongs to the client library, never freed by the caller. */
NEXALIB_API GSList *nexalib_get_class_oids_by_key_and_val(OdbHandle *h, const char *class_name,
                                                          const char *key, const char *value);
NEXALIB_API int nexalib_find_an_oid_by_name(OdbHandle *h, const char *class_name, const char *name);
NEXALIB_API int get_oids_numbers(GSList *oids);
/* Props returned by the lookups below belong to the client library (valid
 * until the handle is destroyed) and are never freed by the caller; NULL
 * when there are none.
 * The main props of object *oid; they belong to the client library. */
NEXALIB_API OdbProps *get_data_by_handle_oid(OdbHandle *h, int *oid);
/* The main props of the first object of the class whose key is exactly
 * value; *oid gets its oid (the last object tried when none matches). The
 * props belong to the client library. */
NEXALIB_API OdbProps *nexalib_get_objectOid_and_compare(OdbHandle *h, int *oid,
                                                        const char *class_name, const char *key,
                                                        const char *value);
/* The main props of the first "System" object; they belong to the client
 * library. */
NEXALIB_API OdbProps *nexalib_get_system(OdbHandle *h);
/* Namespace ns of the first "System" object; the props belong to the client
 * library. */
NEXALIB_API OdbProps *nexalib_get_system_namespace(OdbHandle *h, const char *ns);
/* The same, and *oid gets that object's oid; the props belong to the client
 * library. */
NEXALIB_API OdbProps *nexalib_get_system_namespace_and_oid(OdbHandle *h, int *oid, const char *ns);
/* The main props of the last "System" object, and its oid in *oid; the
 * props belong to the client library. */
NEXALIB_API OdbProps *nexalib_get_system_and_oid(OdbHandle *h, int *oid);
/* The main props of the first "Network" object; they belong to the client
 * library. */
NEXALIB_API OdbProps *nexalib_get_network(OdbHandle *h);
/* The main props of the device's "Network" object, and its oid in *oid; the
 * props belong to the client library. */
NEXALIB_API OdbProps *nexalib_get_network_and_oid(OdbHandle *h, int *oid, const char *dev_name);

NEXALIB_API int nexalib_toggle_system_namespace_commit(OdbHandle *h, const char *ns);
NEXALIB_API int nexalib_props_update(OdbProps *changes, OdbProps *current, const char *key,
                                     const char *value);
NEXALIB_API unsigned int nexalib_props_new_count(OdbProps *p);
NEXALIB_API unsigned int nexalib_props_old_count(OdbProps *p);
NEXALIB_API int nexalib_get_bootup_type(OdbHandle *h);
NEXALIB_API int nexalib_toggle_daemon(OdbProps *p, const char *script, int flags);

/* ---- Lists, hash tables and text files -------------------------------- */

/* Per-node callback for g_slist_foreach: frees one string. */
NEXALIB_API void nexalib_g_slist_free_buffer(gpointer data, gpointer user_data);
NEXALIB_API void nexalib_g_slist_free_all(GSList *list);
/* For g_hash_table_foreach_remove: frees key and value, returns TRUE. */
NEXALIB_API gboolean nexalib_g_hash_table_free_buffer(gpointer key, gpointer value,
                                                      gpointer user_data);
NEXALIB_API void nexalib_g_hash_table_free_all(GHashTable *table);
NEXALIB_API void nexalib_g_slist_free_all_hash(GSList *records);

/* Copies at most n-1 characters and always terminates dst[n-1]; returns
 * dst, the caller's buffer. */
NEXALIB_API char *nexalib_safe_strncpy(char *dst, const char *src, size_t n);
/* Cuts s at its first line feed in place; returns where (inside the
 * caller's s), or NULL. */
NEXALIB_API char *nexalib_RemoveCR(char *s);
/* Splits s in place at the first character of delim; argv must have room
 * for one pointer per piece. */
NEXALIB_API void convert_array_to_argv_style(char **argv, char *s, const char *delim);

/* "&a&b&c&" for a, b, c; NULL for an empty list. A new GString the caller
 * frees with g_string_free(s, TRUE). */
NEXALIB_API GString *nexalib_list_to_odb_array(GSList *list);
/* The elements of an odb array: a new string list the caller frees with
 * nexalib_g_slist_free_all; NULL when there is none. */
NEXALIB_API GSList *nexalib_odb_array_to_list(const char *array);
/* "a,b,c"; NULL for an empty list. A new GString the caller frees with
 * g_string_free(s, TRUE). */
NEXALIB_API GString *nexalib_list_to_group_member_format(GSList *list);
/* Takes the first element equal to member out of the string list and frees
 * it; returns the list's new head, which the caller still owns. */
NEXALIB_API GSList *nexalib_delete_member_from_list(GSList *list, const char *member);
/* The first cell of lines whose line, after leading blanks, starts with key;
 * the cell belongs to lines and is freed with it. NULL when there is none. */
NEXALIB_API GSList *nexalib_get_list_by_key(GSList *lines, const char *key);
/* Takes every line holding pattern (lines starting with "#" excepted) out of
 * the line list and frees it; returns the list's new head, which the caller
 * still owns. */
NEXALIB_API GSList *nexalib_remove_record_from_list(GSList *lines, const char *pattern);

NEXALIB_API int nexalib_check_duplicate_class_nameval(OdbHandle *h, const char *class_name,
                                                      const char *value);
NEXALIB_API int nexalib_isexist_class_nameval(OdbHandle *h, const char *class_name,
                                              const char *value);

/* Edits that span calls: a load of a line or section list (here, the
 * smb.conf model and the FTP finders) takes the library's edit lock
 * ("/var/lock/nexalib.lock"; for "/etc/passwd" and "/etc/group" also the
 * system's account lock), which the process keeps until it writes the file
 * back with one of the writers, frees the list or ends, so that a second
 * caller loads only what the first has written. A caller waits at most 15 s
 * for it: the load then gives NULL, and writers of that file refuse until a
 * load of it succeeds (the empty model would wipe the file). */

/* Whole-file writers: the file is replaced atomically and gets the mode;
 * 0 on success, 1 when it cannot be written. */
NEXALIB_API int nexalib_output_to_file(GString *text, const char *path, mode_t mode);
NEXALIB_API int nexalib_put_a_line_to_txt_file(const char *text, const char *path, mode_t mode);
NEXALIB_API int nexalib_put_list_to_txt_file(GSList *lines, const char *path, mode_t mode);
/* A line list (lines keep their line feeds; longer than 1023 characters are
 * split); NULL when the file cannot be read. Free with
 * nexalib_g_slist_free_all. */
NEXALIB_API GSList *nexalib_load_txt_file_to_list(const char *path);
/* The line list of "/etc/group", loaded as above; the caller frees it with
 * nexalib_g_slist_free_all. */
NEXALIB_API GSList *nexalib_etc_group_to_list(void);
NEXALIB_API int nexalib_put_to_group_file(GSList *lines);

NEXALIB_API void nexalib_dump_props_to_file(OdbProps *p);
NEXALIB_API void nexalib_dump_list_data_to_file(GSList *list);
NEXALIB_API void nexalib_dump_list_int(GSList *oids);
NEXALIB_API void nexalib_dump_list_string(GSList *list);
NEXALIB_API void nexalib_dump_hash_table_key_val(gpointer key, gpointer value, gpointer user_data);
NEXALIB_API void nexalib_dump_list_hash_table(GSList *records);
/* The first position of s (the caller's text) that is no blank or tab. */
NEXALIB_API char *nexalib_skip_blank(const char *s);
/* Moves back from pos over blanks, tabs and terminators; a character other
 * than those must exist before pos. Returns a position in the caller's
 * text. */
NEXALIB_API char *nexalib_skip_rblank(char *pos);

/* ---- Shell commands and small utilities ------------------------------- */

/* *out receives a malloc'ed text; 0, or the negative vasprintf result. */
NEXALIB_API int bb_xasprintf(char **out, const char *format, ...) NEXALIB_PRINTF(2, 3);
/* Runs "command argument >/dev/null 2>&1" through the shell as written
 * (argument may hold several words); values from configuration or users
 * must be quoted by whoever puts them in. Returns 0. */
NEXALIB_API int nexalib_system(const char *command, const char *argument);
/* Runs the formatted command (cut to 1006 characters) with its output
 * discarded; returns the status as system(3) gives it. */
NEXALIB_API int nexalib_system_2(const char *format, ...) NEXALIB_PRINTF(1, 2);
/* Runs "command > tmp_path" and puts the file's first line (at most 99
 * characters, line feed removed) into result, which holds 100 bytes. */
NEXALIB_API void nexalib_system_getResult(const char *command, const char *tmp_path, char *result);

NEXALIB_API int isdir(const char *path);
/* Makes the missing directories of path with mode; 0, -1 (a directory was
 * not made) or -2 (a mode was not set). */
NEXALIB_API int nexalib_create_dir(const char *path, mode_t mode);

/* buf (the caller's, returned) holds at least 12 bytes. */
NEXALIB_API char *nexalib_get_tick(char *buf);
/* "month/day/year hh:mm:ss" in local time; buf (the caller's, returned)
 * holds at least 20 bytes. */
NEXALIB_API char *nexalib_get_localtime(const char *seconds, char *buf);

/* dst holds 4 characters per started group of 3 source bytes, plus 1. */
NEXALIB_API void nexalib_Base64Encode(const char *src, char *dst);
/* Skips characters outside the alphabet; returns the bytes written. */
NEXALIB_API int nexalib_Base64Decode(const char *text, unsigned char *out, int out_size);
/* dst (the caller's, returned): zeroed, at least 33 bytes; gets the
 * decoded bytes up to the first zero byte (at most 32), without a
 * terminator of its own. */
NEXALIB_API char *nexalib_get_decoed_password(const char *text, char *dst);

/* ---- CGI request input ------------------------------------------------- */

/* Form tables map field names to values (both malloc'ed, owned by the
 * table; free with nexalib_g_hash_table_free_all). Fields with an empty
 * value, and pairs without "=", are left out. */
/* A form table (free with nexalib_g_hash_table_free_all) of the POST body
 * of CONTENT_LENGTH bytes from standard input; NULL when
 * CONTENT_LENGTH is absent, not a number or below 1. Ends the process with
 * status 1 when the body is shorter than announced. */
NEXALIB_API GHashTable *nexalib_get_post_data(void);
/* A form table (free with nexalib_g_hash_table_free_all) of QUERY_STRING
 * ("+" becomes a blank, "%" escapes are kept); an empty table when there is
 * none. */
NEXALIB_API GHashTable *nexalib_get_get_data(void);

NEXALIB_API char nexalib_ui_x2c(const char *what);
/* Decodes "%" and two hexadecimal digits in place; anything else is kept. */
NEXALIB_API void nexalib_ui_unescape_url(char *url);
/* Lower-cases s in place and returns it. */
NEXALIB_API char *lower_case(char *s);
/* A malloc'ed copy (the caller frees it with free()), or NULL. */
NEXALIB_API char *newstr(const char *s);
/* Reads standard input up to n characters or a line feed (kept, no
 * terminator added); 0 at the end of input, n when n characters were read,
 * otherwise the characters read plus one. */
NEXALIB_API int nexalib_getline(char *buf, int n);
NEXALIB_API void nexalib_ui_reverse(char *s);
/* buf holds at least 12 bytes. */
NEXALIB_API void nexalib_ui_itoa(int n, char *buf);
/* A malloc'ed copy (the caller frees it with free()) with every from[0]
 * replaced by to[0]; NULL for a NULL string or one of at most two
 * characters. */
NEXALIB_API char *nexalib_ui_string_replace(const char *s, const char *from, const char *to);

/* The blank-delimited elements of text (" a b " gives a and b): a new string
 * list the caller frees with nexalib_g_slist_free_all; NULL for none. */
NEXALIB_API GSList *nexalib_ui_string_to_list(const char *text);
/* prefix + element + suffix for each element of the odb array: a new string
 * list the caller frees with nexalib_g_slist_free_all; NULL for none. */
NEXALIB_API GSList *nexalib_ui_string_to_list_for_share(const char *array, const char *suffix,
                                                        const char *prefix);
/* prefix + the "name" of each object of oids, in order: a new string list
 * the caller frees with nexalib_g_slist_free_all; NULL for no oids. */
NEXALIB_API GSList *nexalib_ui_get_name_from_oids(OdbHandle *h, GSList *oids, const char *prefix);
/* A new oid list (free with g_slist_free). */
NEXALIB_API GSList *nexalib_ui_remove_entries_from_oids(OdbHandle *h, GSList *names, GSList *oids,
                                                        const char *class_name);

/* ---- HTML template patching and file sending ---------------------------- */

/* A patch buffer: one 65536-byte block holding, after this header, the
 * loop-count text (from byte 32 to 1536) and the variable text (from byte
 * 1536), each made of "key=value\n" lines. */
typedef struct PatchMem {
  char *loop_start;
  char *loop_end;
  char *var_start;
  char *var_end;
} PatchMem;

/* An area of a page: kind 1 (variable, printed once) or 2 (loop, printed for
 * indexes 0 to loop_count). */
typedef struct TagArea {
  int kind;
  int loop_count;
  char *body_start;
  char *body_end;
  int body_length;
} TagArea;

typedef struct TagValue {
  char *pos;
  int length;
} TagValue;

/* NULL when memory is lacking. The buffer belongs to the library and lives
 * until the program ends; FreePatchMem leaves it. */
NEXALIB_API PatchMem *AllocatePatchMem(void);
NEXALIB_API void FreePatchMem(PatchMem *p);
/* Writes "key=value\n" at pos (the caller provides the room); returns the
 * position after it, inside the caller's buffer. */
NEXALIB_API char *PatchStrCpy(char *pos, const char *key, const char *value);
/* The value of the line keyed exactly key (a pointer into the caller's
 * text), or NULL. */
NEXALIB_API char *PatchStrstr(const char *text, const char *key);
/* Appends the value keyed name + "_0". An append that does not fit is
 * refused and reported to the system log. */
NEXALIB_API void AppendPatchMem(PatchMem *p, const char *label, const char *name,
                                const char *value);
/* Sets the loop count of loop to index (0 to 9999) and appends the value
 * keyed name + "_" + index. */
NEXALIB_API void AppendLoopDataToPatchMem(PatchMem *p, const char *loop, const char *name,
                                          const char *value, int index);
/* Finds the next area in text (terminating its body in place); *length gets
 * the number of characters to print before it. Returns the position after
 * the area (a pointer into the caller's text), or NULL when there is none
 * more (or it cannot be used); *length then tells what is left to print. */
NEXALIB_API char *FindAndMarkTagArea(char *text, int *length, TagArea *area, PatchMem *p);
/* Finds the next variable of an area body and its value for the pass index;
 * *length gets the characters to print before it. Returns the position after
 * the variable (a pointer into the caller's text), or NULL when there is
 * none (or no value); *length then covers the rest of the body. */
NEXALIB_API char *FindOutVariableValue(char *pos, int *length, TagArea *area, TagValue *value,
                                       PatchMem *p, int index);
/* Writes a CGI response: an HTML page with its areas filled in, or any
 * other file unchanged as an image. Nothing when the file cannot be read. */
NEXALIB_API void HttpSendFile(const char *path, PatchMem *p);

/* ---- Locale selection and message catalogs ------------------------------ */

/* Room that nexalib_get_dir_locale needs in its destination. */
#define NEXALIB_LOCALE_LIST_SIZE 512

/* buf (the caller's, returned) holds 8 bytes; gets the language of
 * HTTP_ACCEPT_LANGUAGE that is installed under /usr/share/locale, or "en". */
NEXALIB_API char *nexalib_get_localePreferenceBrowser(char *buf);
/* The request's language; valid until the program ends, never freed. */
NEXALIB_API char *nexalib_get_localePreference(OdbHandle *h);
/* The wizard's language; a new text each call, valid until the program ends
 * and never freed. */
NEXALIB_API char *nexalib_get_wizard_localePreference(OdbHandle *h);
/* dest holds NEXALIB_LOCALE_LIST_SIZE bytes; gets "&code&code&" of the
 * installed languages; nonzero when there is at least one. */
NEXALIB_API int nexalib_get_dir_locale(char *dest);
/* The translation of msgid in the language, which belongs to gettext and is
 * never freed or changed by the caller; without one, msgid itself (the
 * caller's). Sets LANG and LANGUAGE to the language for the rest of the
 * process. */
NEXALIB_API char *nexalib_ui_gettext(const char *lang, const char *domain, const char *msgid);
/* Translates a message id or a "[[base-odb<ns>.<id>]]" reference of the
 * configuration daemon (text is cut in place at "]"). A translation belongs
 * to gettext and is never freed; without one the result points into the
 * caller's text. */
NEXALIB_API char *i18n_odbd_err_msg(const char *lang, char *text);
NEXALIB_API void show_system_error_message(const char *lang, PatchMem *p);
NEXALIB_API void set_charset(const char *lang, PatchMem *p);
/* The plain gettext calls; what they return belongs to gettext and is never
 * freed or changed by the caller.
 * The directory the domain is bound to; it belongs to gettext. */
NEXALIB_API char *nexalib_bindtextdomain(const char *domain, const char *dir);
/* The translation, which belongs to gettext, or msgid itself (the
 * caller's). */
NEXALIB_API char *nexalib_dcgettext(const char *domain, const char *msgid, int category);
/* The translation, which belongs to gettext, or msgid itself (the
 * caller's). */
NEXALIB_API char *nexalib_dgettext(const char *domain, const char *msgid);
/* The translation, which belongs to gettext, or msgid itself (the
 * caller's). */
NEXALIB_API char *nexalib_gettext(const char *msgid);
/* The current message domain's name; it belongs to gettext. */
NEXALIB_API char *nexalib_textdomain(const char *domain);

/* ---- Page redirection and error pages ------------------------------------ */

/* The pages write their text arguments as given; callers escape quotes. */
NEXALIB_API void nexalib_ui_gotoURL(const char *action, int delay);
NEXALIB_API void nexalib_ui_gotoNewIP(const char *host, const char *message, int delay);
NEXALIB_API void nexalib_ui_gotoTopURL(const char *path, int delay);
/* A malloc'ed copy of the record's message (the caller frees it with
 * free()), or NULL. */
NEXALIB_API char *nexalib_ui_odb_error_parse(OdbError *error);
/* A malloc'ed copy of the last record's message (the caller frees it with
 * free()), or NULL. */
NEXALIB_API char *nexalib_ui_show_odb_last_errors(GSList *errors);
NEXALIB_API int nexalib_is_file_exist(const char *path);
NEXALIB_API void nexalib_remove_wizard_nav(OdbHandle *h);
NEXALIB_API void nexalib_mini_mode_set(void);

/* ---- smb.conf model ------------------------------------------------------- */

/* The Samba configuration in memory. A line list holds the file's kept lines
 * (malloc'ed, leading blanks removed, comments and empty lines dropped; free
 * with nexalib_g_slist_free_all). A section list holds one GHashTable per
 * section, in file order, keys and values malloc'ed and owned by the table,
 * the name under the key "section" (free with nexalib_g_slist_free_all_hash).
 * Change flags: 1 nothing changed, 2 changed (write the file back), -1
 * refused. */

/* Room the caller gives nexalib_get_smb_section, terminator included. */
#define NEXALIB_SECTION_NAME_SIZE 128

/* The line list of a file (the caller owns it and frees it with
 * nexalib_g_slist_free_all); NULL when it cannot be read or keeps nothing.
 * Each element is one whole line with its line feed. */
NEXALIB_API GSList *nexalib_load_smb_file_to_list(const char *path);
/* 0 and the name between "[" and the first "]" copied to name (at most
 * NEXALIB_SECTION_NAME_SIZE - 1 characters) when *line is a header; -1
 * otherwise. */
NEXALIB_API int nexalib_get_smb_section(char **line, char *name);
/* The cells of the line list that hold headers, in order: the caller owns
 * the new list's cells only (free with g_slist_free); NULL when none. */
NEXALIB_API GSList *nexalib_get_smb_section_ptr_list(GSList *lines);
/* A new section list made from the headers' cells and the lines after each
 * (the caller owns it and frees it with nexalib_g_slist_free_all_hash); NULL
 * for a NULL argument. */
NEXALIB_API GSList *nexalib_create_hash_list(GSList *headers);
/* The file as a section list (the caller owns it and frees it with
 * nexalib_g_slist_free_all_hash); NULL when it cannot be read or has no
 * section. */
NEXALIB_API GSList *nexalib_load_smb_conf_to_list_hash(const char *path);
/* The first section of that name; it belongs to the list and is freed with
 * it. NULL when there is none. */
NEXALIB_API GHashTable *nexalib_get_hash_table_by_section_name(GSList *sections, const char *name);
/* Changes a parameter the section already has: 2 when its value changed,
 * 1 otherwise (a missing key is not added). */
NEXALIB_API int nexalib_hash_table_set(GHashTable *section, const char *key, const char *value);
/* Sets "guest account" of [global] to the props' "name": 1 or 2; -1 for a
 * name that is no account name. */
NEXALIB_API int nexalib_modify_smb_guest_account_name(OdbProps *props, GSList *sections);
/* "@a,@b" for the groups a and b (the caller frees it with g_string_free);
 * NULL for an empty list. */
NEXALIB_API GString *nexalib_list_to_smb_group_format(GSList *groups);
/* The file text of a section list (the caller frees it with g_string_free). */
NEXALIB_API GString *nexalib_put_list_hash_to_g_string(GSList *sections);
/* Replaces the file with the text of the section list and gives it the
 * mode: 0, or -1 when it cannot be written (the old file stays whole). */
NEXALIB_API int nexalib_put_list_hash_to_smb_conf(GSList *sections, const char *path, int mode);

/* ---- Samba folder, user and printer shares -------------------------------- */

/* Functions that take a section list return its (possibly new) head and
 * report through *flag; refused names ("global", "homes", "printers" in any
 * case, or a name holding a line break, NUL, "[" or "]") give -1 and change
 * nothing. */

/* Room of the home and trash path buffers, terminator included. */
#define NEXALIB_SHARE_PATH_SIZE 80

/* Restarts or stops Samba as the "System" object's "Samba" namespace says;
 * 0. */
NEXALIB_API int nexalib_toggle_smb_daemon(OdbHandle *h, int flags);
/* "u1,u2,@g1,@g2" of the two odb arrays: malloc'ed, the caller frees it with
 * free(); NULL when both are empty. */
NEXALIB_API char *nexalib_smb_write_list(const char *users, const char *groups);
/* The read-only list, then the read-write one: malloc'ed, the caller frees
 * it with free(); NULL when all are empty. */
NEXALIB_API char *nexalib_smb_valid_user(const char *ro_users, const char *ro_groups,
                                         const char *rw_users, const char *rw_groups);
/* A folder share's section (the caller owns it; free with
 * nexalib_g_hash_table_free_all); NULL for a share that is not public and
 * names nobody, or a name or path that cannot head a section. */
NEXALIB_API GHashTable *nexalib_smb_conf_folder_share_hash_create(
    const char *name, const char *path, const char *allow_for_all, const char *ro_users,
    const char *ro_groups, const char *rw_users, const char *rw_groups, const char *description,
    const char *tss_enabled, const char *file_system);
/* Removes the share section of that name and frees it; returns the list's
 * new head, which the caller still owns (free with
 * nexalib_g_slist_free_all_hash). */
NEXALIB_API GSList *nexalib_smb_conf_folder_share_hash_delete(GSList *sections, const char *name,
                                                              int *flag);
/* Frees the share's section and appends one made from its object (which
 * then belongs to the list); returns the list's new head, which the caller
 * still owns. */
NEXALIB_API GSList *nexalib_smb_conf_folder_share_add(OdbHandle *h, int oid, OdbProps *props,
                                                      GSList *sections, int *flag);
/* The same for a share with a name; returns the list's new head, which the
 * caller still owns. */
NEXALIB_API GSList *nexalib_smb_conf_folder_share_modify(OdbHandle *h, int oid, OdbProps *props,
                                                         GSList *sections, int *flag);
/* Removes the share's section and frees it; returns the list's new head,
 * which the caller still owns. */
NEXALIB_API GSList *nexalib_smb_conf_folder_share_delete(OdbHandle *h, int oid, OdbProps *props,
                                                         GSList *sections, int *flag);
/* A user's home share section (the caller owns it; free with
 * nexalib_g_hash_table_free_all); NULL for a name or home that cannot head
 * a section. */
NEXALIB_API GHashTable *nexalib_smb_conf_user_share_create(const char *name, const char *home,
                                                           const char *description,
                                                           const char *tss_enabled,
                                                           const char *file_system);
/* Appends the home section of a user who wants one and has none (it then
 * belongs to the list); returns the list's new head, which the caller still
 * owns. */
NEXALIB_API GSList *nexalib_moduser_create(OdbProps *props, GSList *sections, int *flag,
                                           const char *system_mount_path, const char *tss_enabled);
/* Frees the user's home section and appends a new one (it belongs to the
 * list) when the user wants a home; returns the list's new head, which the
 * caller still owns. */
NEXALIB_API GSList *nexalib_moduser_modify(OdbProps *props, GSList *sections, int *flag,
                                           const char *system_mount_path, const char *tss_enabled);
/* As nexalib_smb_conf_folder_share_hash_delete: the section is freed; the
 * list's new head, which the caller still owns. */
NEXALIB_API GSList *nexalib_moduser_smb_conf_folder_share_delete(GSList *sections, const char *name,
                                                                 int *flag, const char *unused);
/* Removes the section named by the props' "name" and frees it; returns the
 * list's new head, which the caller still owns. */
NEXALIB_API GSList *nexalib_modgroup_destroy(OdbProps *props, GSList *sections, int *flag);
/* The "printers" section (the caller owns it; free with
 * nexalib_g_hash_table_free_all). */
NEXALIB_API GHashTable *nexalib_smb_conf_printer_add(void);
/* Makes the printer spool under /system and links it into /var/spool: 0,
 * or -1 when a spool file cannot be created. */
NEXALIB_API int nexalib_smb_printer_checkpc(OdbHandle *h);
/* Writes "base/name/" ("/" for an empty base) into out
 * (NEXALIB_SHARE_PATH_SIZE bytes): 0, or -1 with out empty when the name is
 * no single path component or the path does not fit. */
NEXALIB_API int nexalib_prepare_home_dir(const char *base, const char *name, char *out);
/* As nexalib_prepare_home_dir with "Network Trash Folder/" after it. */
NEXALIB_API int nexalib_prepare_smb_trash_folder(const char *base, const char *name, char *out);
NEXALIB_API void del_all_disk_foldershare(OdbHandle *h);
/* 0, or -1 when a share object could not be made. */
NEXALIB_API int add_all_disk_foldershare(OdbHandle *h);
/* 0, or -1 when the share object could not be made or the name cannot head
 * a section. */
NEXALIB_API int nexalib_hotplug_usb_folder_share_add(OdbHandle *h, const char *name,
                                                     const char *dev_name);
/* 0. */
NEXALIB_API int nexalib_ui_delete_usergroup_in_foldershare_db(OdbHandle *h, const char *key,
                                                              const char *member);
/* The status passed in when no share changed; after a change 0, or -1 when
 * the daemon reported an error; -1 for a member that cannot be an element
 * of an odb array. */
NEXALIB_API int nexalib_ui_add_entry_in_FolderShare_db(OdbHandle *h, const char *member,
                                                       const char *shares, const char *key,
                                                       int status);
NEXALIB_API void fshare_dbg(const char *message);

/* ---- FTP shares ------------------------------------------------------------ */

/* Blocks of "/usr/ruvoro/etc/proftpd.conf", a line list. The finders load
 * the file into *lines, which the caller owns and frees with
 * nexalib_g_slist_free_all, found or not; *first and *after then point into
 * it (the block's opening line and the line after its end, null when none).
 * 0 when the block "<Directory base/name>" was found, -1 otherwise. */
NEXALIB_API int user_get_foldershare_section(GSList **lines, GSList **first, GSList **after,
                                             const char *base, const char *name);
/* Likewise for the block "<Directory directory>". */
NEXALIB_API int folder_get_foldershare_section(GSList **lines, GSList **first, GSList **after,
                                               const char *directory);
/* Free the lines from first up to after; return the list's new head, which
 * the caller still owns (free with nexalib_g_slist_free_all). */
NEXALIB_API GSList *modftp_remove_ftp_share(GSList *lines, GSList *first, GSList *after);
/* The same: frees the lines from first up to after and returns the list's
 * new head, which the caller still owns. */
NEXALIB_API GSList *modftp_remove_foldershare(GSList *lines, GSList *first, GSList *after);
/* Append the folder share's block (the list's new head, which the caller
 * still owns and frees with nexalib_g_slist_free_all); nothing when its props
 * cannot name a directory. */
NEXALIB_API GSList *modftp_add_foldershare(GSList *lines, OdbProps *share, const char *system_path);
/* Append the user's home block and set *flag to 2 when there is one; the
 * list's new head, which the caller still owns and frees with
 * nexalib_g_slist_free_all. */
NEXALIB_API GSList *user_handler_add_ftp_share(GSList *lines, OdbProps *user, int *flag,
                                               const char *system_path);
/* 2 when the file was rewritten, -1 otherwise (a failed write included). */
NEXALIB_API int user_handler_modify_ftp_conf(OdbHandle *h, int oid, OdbProps *user, int flags);
/* 0, or -1 when the file could not be written. */
NEXALIB_API int modftp_modify_ftp_conf(OdbHandle *h, int oid, OdbProps *share);
/* 0 when an old "lost+found" block was replaced, -1 otherwise or when the
 * file could not be written. */
NEXALIB_API int nexalib_ftp_hidenoaccess_lost_found(OdbHandle *h);

/* ---- Users and groups ------------------------------------------------------ */

/* Accounts live in "/etc/passwd" and "/etc/group"; additions and the
 * passwd rewrite hold the edit lock and the system's account lock
 * ("/etc/.pwd.lock"), each waited for up to 15 s; a failed write leaves the
 * file as it was. Empty names,
 * names holding ":" "," a blank, a line break or NUL, and other fields
 * holding ":" a line break or NUL, are refused with nothing written. */

/* Returns only when the effective user id is 0; otherwise prints "Only
 * root may add a user or group to the system." and exits with status 1. */
NEXALIB_API void if_i_am_not_root(void);
/* Appends an account (uid or gid 0: the next free one from 500; home null:
 * "nohome") and leaves the file-creation mask at 0. The result points into
 * one static record inside the library, valid until the next call; null on
 * failure (name in use, no id left, refused value, negative group id, or a
 * failed write). */
NEXALIB_API struct passwd *nexalib_adduser(const char *login, const char *password, int uid,
                                           int gid, const char *gecos, const char *home,
                                           const char *shell);
/* Appends "name:x:gid:members" (gid 0: one above the highest below 65000).
 * 0 added, 1 name in use, 2 id in use, -1 refused value, negative id or
 * unreadable or unwritable file. */
NEXALIB_API int nexalib_addgroup(const char *name, int gid, const char *members);
/* The id of the group (null: "users"), or 0 when there is none. */
NEXALIB_API int nexalib_get_gid_by_grpname(const char *name);
/* Bit 0 of flags set: replaces the record's passwd line(s) with the record;
 * clear: removes them. -1 when the file cannot be opened, is locked by
 * another writer (message on standard error), the record is refused or the
 * write fails; 0 otherwise. */
NEXALIB_API int nexalib_update_passwd(const struct passwd *record, int flags);
/* Adds the user to the "members" of the "Group" objects named in groups (a
 * list of names); 0, or -1 for a user name that cannot be a member. */
NEXALIB_API int nexalib_add_user_in_groups_db(OdbHandle *h, const char *user, GSList *groups);
/* Removes the user from the "members" of every "Group" object; 0, or -1
 * for a user name that cannot be a member. */
NEXALIB_API int nexalib_delete_user_in_groups_db(OdbHandle *h, const char *user);

/* ---- Disk quotas ----------------------------------------------------------- */

/* Room nexalib_mntdir2dev needs in its device buffer, NUL included. */
#define NEXALIB_DEVICE_PATH_SIZE 64

/* A quota as the library reads and sets it; block values in KiB. Values
 * read from the kernel that do not fit stay at INT32_MAX (UINT32_MAX for
 * the grace times). */
typedef struct NexalibQuota {
  int32_t bhardlimit;
  int32_t bsoftlimit;
  int32_t curblocks;
  int32_t ihardlimit;
  int32_t isoftlimit;
  int32_t curinodes;
  uint32_t btime;
  uint32_t itime;
} NexalibQuota;

/* Quotas in MB on the volume mounted exactly at mount_dir: 0 counts as 1 MB,
 * -1 removes the block limits; fs_type "xfs" uses XFS's interface. Kinds: 0
 * user, 1 group. 0 or -1; an unknown account is reported on stdout. */
NEXALIB_API int nexalib_set_user_quota(const char *user, int megabytes, const char *mount_dir,
                                       const char *fs_type);
NEXALIB_API int nexalib_set_group_quota(const char *group, int megabytes, const char *mount_dir,
                                        const char *fs_type);
NEXALIB_API int nexalib_setquota(const char *device, int kind, int id, int megabytes,
                                 const char *fs_type);
/* Both block limits from the record's bhardlimit (negative: none). */
NEXALIB_API int nexalib_linuxquota_setqlim(const char *device, int id, int kind,
                                           const NexalibQuota *record);
NEXALIB_API int nexalib_linuxquota_xfs_setqlim(const char *device, int id, int kind,
                                               const NexalibQuota *record);
NEXALIB_API int nexalib_linuxquota_query(const char *device, int id, int kind,
                                         NexalibQuota *record);
/* *usage (written only on success): KiB in use; on XFS a user's bytes / 1000
 * and a group's bytes, at most INT32_MAX. The user's query always returns 0,
 * the group's 0 or -1. */
NEXALIB_API int nexalib_get_user_disk_usage(const char *user, int *usage, const char *mount_dir,
                                            const char *fs_type);
NEXALIB_API int nexalib_get_group_disk_usage(const char *group, int *usage, const char *mount_dir,
                                             const char *fs_type);
/* Copies the device mounted exactly at mount_dir into device (room for
 * NEXALIB_DEVICE_PATH_SIZE bytes); -1 and device untouched when none is or
 * its name does not fit. */
NEXALIB_API int nexalib_mntdir2dev(const char *mount_dir, char *device);
NEXALIB_API void nexalib_show_quota_info(const NexalibQuota *record);

/* ---- Disk discovery and disk objects -------------------------------------- */

/* The listing the disk discovery script writes: "/tmp/usb.info". */
NEXALIB_API extern const char diskInfoFile[];

/* Runs "/usr/trellis/handlers/base/usb_disk/sdlist.sh <argument> " and makes
 * a "Disk" object for every listed disk; 1 when a line was handled, 0 for an
 * empty listing, -1 when the script fails or the listing cannot be read. */
NEXALIB_API int nexalib_usb_disk_add_new_disk_object(OdbHandle *h, const char *argument);
/* The same for the disks not known yet; 1 when an object was made. */
NEXALIB_API int nexalib_add_new_disk(OdbHandle *h, const char *argument);
/* 1 when the listing holds dev_path ("/dev/<name>"), after refreshing the
 * "Disk" object *oid from it; 0 when it does not, -1 as above. */
NEXALIB_API int nexalib_check_disk_exist(OdbHandle *h, int *oid, const char *dev_path,
                                         const char *argument);
/* 1 when a "Disk" object for the device exists on the same kind of bus. */
NEXALIB_API int nexalib_disk_object_isexist(OdbHandle *h, const char *dev_name,
                                            const char *bus_type);
/* Makes the "Disk" object of "sda" to "sdh" (nothing for other names);
 * returns 0. */
NEXALIB_API int nexalib_Add_DiskObject(OdbHandle *h, const char *bus_type, const char *dev_name,
                                       const char *host, const char *id);
NEXALIB_API void update_object_info(OdbHandle *h, int *oid, const char *bus_type, const char *host,
                                    const char *dev_name, const char *id);
/* Splits a listing line; the buffers hold 32, 12, 12 and 12 bytes and get
 * at most 31, 11, 11 and 11 characters, always terminated. */
NEXALIB_API void get_bustype_devName_host(const char *line, char *bus_type, char *dev_name,
                                          char *host, char *id);
/* 1 when "/dev/" + dev_name is dev_path, whatever their length. */
NEXALIB_API int nexalib_compare_disk_devName(const char *dev_name, const char *dev_path);
/* Sets "size", "totalSize" (1 KiB blocks, "0" when unknown) and "model". */
NEXALIB_API void nexalib_get_disk_model(OdbProps *props, const char *dev_name);
/* 1 when the SATA controller runs in its second mode; the arguments are
 * not used. */
NEXALIB_API int nexalib_get_sata_vela_mode(OdbHandle *h, const char *bus_type,
                                           const char *dev_name);
/* Records "noDisk" and "newDisk" in the "System" object's "Disk"
 * namespace; returns 0. */
NEXALIB_API int nexalib_construct_usb_disk_check_unformat_disk(OdbHandle *h);
NEXALIB_API int nexalib_check_nas_exist(OdbHandle *h);
NEXALIB_API int nexalib_check_have_disk(OdbHandle *h);
/* The "type" of the "Disk" mounted there; the text belongs to the client
 * library (never freed by the caller), NULL when there is none. */
NEXALIB_API const char *nexalib_check_user_disk_type(const char *mount_point, OdbHandle *h);
/* The first "Raid" object's "rFS"; the text belongs to the client library
 * (never freed by the caller), NULL when there is none. */
NEXALIB_API const char *nexalib_check_user_raid_type(OdbHandle *h);
NEXALIB_API int nexalib_find_an_oid_by_devicename(OdbHandle *h, const char *class_name,
                                                  const char *dev_path);
NEXALIB_API int nexalib_find_an_oid_by_mountPoint(OdbHandle *h, const char *class_name,
                                                  const char *mount_point);

/* An attached USB device: texts after "Manufacturer=" and "Product=" of its
 * device, the class of the matched interface, 1 in found when matched. */
typedef struct NexalibUsbDevice {
  char manufacturer[80];
  char product[160];
  int class_code;
  int found;
} NexalibUsbDevice;

/* The index-th interface listed in /proc/bus/usb/devices after the first
 * device with both texts (counting interfaces of the class); a malloc'ed
 * record the caller frees with free(), or NULL when none matches. */
NEXALIB_API NexalibUsbDevice *nexalib_get_attached_usb_device(int usb_class, int index);
NEXALIB_API void devtree_parsedevfile(NexalibUsbDevice *record, int usb_class, int index);
/* A debug hook: receives trace messages and does nothing with them. */
NEXALIB_API void sata_dbg(const char *message);

/* ---- Disk information and usage ------------------------------------------- */

/* One mounted file system, as df shows it: texts of at most 39 characters,
 * sizes in KiB, percent used 0 to 100. */
typedef struct NexalibDiskInfo {
  char device[40];
  char mount_point[40];
  char type[40];
  int total;
  int used;
  int available;
  int percent;
  struct NexalibDiskInfo *next;
} NexalibDiskInfo;

/* The mounted file systems with blocks (not "rootfs"); the caller frees the
 * list with nexalib_free_disk_information. NULL when nothing is mounted, the
 * mount table cannot be read or a statfs fails. */
NEXALIB_API NexalibDiskInfo *nexalib_get_disk_information(void);
NEXALIB_API void nexalib_free_disk_information(NexalibDiskInfo *list);
/* KiB of blocks of block_size bytes, rounded to the nearest. */
NEXALIB_API int kscale(long blocks, long block_size);
/* The entry of the mount table file that holds path, or NULL; owned by the
 * library and valid until the next call. */
NEXALIB_API struct mntent *find_mount_point(const char *path, const char *mount_table);
/* The type of the file system mounted exactly at mount_point, or NULL; owned
 * by the library and valid until the next call, never freed by the caller. */
NEXALIB_API const char *nexalib_check_root_filetype(const char *mount_point);
NEXALIB_API int nexalib_format_check_system_is_mounted(void);
/* "rootdir" of the "System" object's "Disk" namespace, or NULL; the text
 * belongs to the client library. */
NEXALIB_API const char *nexalib_get_system_mount_path(OdbHandle *h);
/* Puts into changes what "/tmp/disk.info" says for the disk (only what
 * differs from current). */
NEXALIB_API void nexalib_set_disk_info(OdbProps *changes, OdbProps *current);
/* Runs "/usr/trellis/handlers/base/disk/chkDisk.sh <devName> <mode>" for
 * every disk not used by a RAID volume and records what it reports. */
NEXALIB_API void nexalib_refresh_disk_Info(OdbHandle *h);

/* ---- Disk power, partitioning and formatting ------------------------------ */

/* Sets the disk's standby timer from the settings' "spinDownTime" in
 * minutes (NULL settings: 0, the timer off) with "/sbin/hdparm -S". */
NEXALIB_API void nexalib_set_disk_spindown_time(OdbProps *settings, OdbProps *disk);
/* Every "Disk" object, unless the settings' "spinDownAll" is "0". */
NEXALIB_API void nexalib_set_disk_spindown_time_all(OdbHandle *h, OdbProps *settings);
/* Unless "spinDownAll" is "1" or "spinDownDev" is empty: the disks whose
 * "usbName" is in "spinDownDev" get the configured time, the others 0. */
NEXALIB_API void nexalib_set_disk_spindown_time_selected(OdbHandle *h, OdbProps *settings);
/* Turns the first line of "/tmp/.fifo.tmp" into "/tmp/disk.percent" (mode
 * 0755); returns the percentage (10100 while the second RAID volume is
 * named), 0 when there is nothing to read. */
NEXALIB_API int nexalib_get_mke2fs_percentage(int flag);
/* Writes text as the whole file with mode; 0, or 1 when it cannot be
 * written (the old file is then untouched). */
NEXALIB_API int nexalib_create_sfdisk_ptable(const char *path, const char *text, mode_t mode);

/* ---- LEDs, buttons and front display ------------------------------------- */

/* Entries of the slot tables: the empty string for 0, the board's GPIO line
 * of slots 1 to 4, NULL after them. */
#define NEXALIB_SLOT_TABLE_SIZE 20
/* The disk slots' LED lines; the table and its texts are owned by the
 * library, never freed or changed by callers. */
NEXALIB_API extern const char *LEDSlotDisk[NEXALIB_SLOT_TABLE_SIZE];
/* The disk slots' button lines; the table and its texts are owned by the
 * library, never freed or changed by callers. */
NEXALIB_API extern const char *BUTSlotDisk[NEXALIB_SLOT_TABLE_SIZE];

/* The primitives: the board's lines are not driven from here; each takes
 * its arguments and returns 0. */
NEXALIB_API int setLed(const char *line, int value);
NEXALIB_API int setLedFlashStart(const char *line, int mode);
NEXALIB_API int setLedFlashStop(const char *line);
NEXALIB_API int findDisk(const char *first, const char *second);
NEXALIB_API int checkButtonUseEnable(void);
NEXALIB_API int setRaidDiskButton(const char *argument);

/* The front-panel functions, each on its line ("GPIO0_13" for the RAID
 * warning, "GPIO0_11" for the build LED); their primitive's result. */
NEXALIB_API int setRaidWarningLED_ON(void);
NEXALIB_API int setRaidWarningLED_OFF(void);
/* Flashes the LED of slot "1" to "4" (mode 3); -1 for any other slot. */
NEXALIB_API int setSlotDiskLEDFlash_ON(const char *slot);
NEXALIB_API int setBuildLEDFlash_ON(void);
NEXALIB_API int setBuildLEDFlash_OFF(void);

/* Shows "CAUTION!" and "DISK<n> WRONG" with the panel's number of slot "1"
 * to "4"; -1 (nothing shown) for any other slot. */
NEXALIB_API int DisplayFailSlot(const char *slot);
/* Stops the resident display program and shows the two lines; -1 (nothing
 * shown) when a text holds a line break. */
NEXALIB_API int setDisplay(const char *first, const char *second);
/* Room get_hostdomainname writes into, terminator included. */
#define NEXALIB_HOST_NAME_SIZE 256
/* Writes the "System" object's "hostname" (cut to fit, "" when it has
 * none) into buf; -1 with buf untouched when there is no "System" object. */
NEXALIB_API int get_hostdomainname(OdbHandle *h, char *buf);

/* ---- Interface names and default network objects ------------------------ */

/* The getters return a property of the "System" object's "Network"
 * namespace; the text belongs to the client library's props (never freed
 * by the caller); NULL when there is no such object or property.
 * "landevname"; the text belongs to the client library. */
NEXALIB_API const char *nexalib_get_landevname(OdbHandle *h);
/* "wandevname"; the text belongs to the client library. */
NEXALIB_API const char *nexalib_get_wandevname(OdbHandle *h);
/* "hw_wlandevname"; the text belongs to the client library. */
NEXALIB_API const char *nexalib_get_hw_wlandevname(OdbHandle *h);
/* "hw_landevname"; the text belongs to the client library. */
NEXALIB_API const char *nexalib_get_hw_landevname(OdbHandle *h);
/* "hw_wandevname"; the text belongs to the client library. */
NEXALIB_API const char *nexalib_get_hw_wandevname(OdbHandle *h);
/* Store the role's device name and mirror it into "/tmp/landevname" or
 * "/tmp/wandevname" (mode 0755); a name holding a line break changes
 * nothing. Always 0. */
NEXALIB_API int nexalib_set_landevname(OdbHandle *h, const char *dev_name);
NEXALIB_API int nexalib_set_wandevname(OdbHandle *h, const char *dev_name);
/* Fill the caller's props with the defaults of a new LAN or WAN "Network"
 * object for the device. */
NEXALIB_API void construct_network_prepare_default_lan_ipaddress(OdbHandle *h, OdbProps *props,
                                                                 const char *dev_name);
NEXALIB_API void construct_network_prepare_default_wan_ipaddress(OdbHandle *h, OdbProps *props,
                                                                 const char *dev_name);
/* Creates the device's "Network" object from the LAN defaults, or resets
 * the existing one to them. */
NEXALIB_API void construct_network_set_default_lan_ip_address(OdbHandle *h, const char *dev_name);
/* Clears the "System" object's gateway, and its name servers with the
 * domain, where they are set. */
NEXALIB_API void construct_network_set_default_system(OdbHandle *h);
/* Creates a "Network" object from the LAN defaults: 0 when the device's
 * object is then found, 1 otherwise. */
NEXALIB_API int construct_network_create_network_lan_object(OdbHandle *h, const char *dev_name);
/* Creates one from the WAN defaults unless the device has one. Always 0. */
NEXALIB_API int construct_network_create_network_wan_object(OdbHandle *h, const char *dev_name);
/* Runs the DHCP client once for the device; the shell's status (-1 for a
 * null name). The handle is not used. */
NEXALIB_API int construct_network_get_IP_from_DHCP_server(OdbHandle *h, const char *dev_name);
/* Stores the flag as the "System" object's "dhclientfail". Always 0. */
NEXALIB_API int construct_network_set_dhclientfail_flag(OdbHandle *h, int flag);
/* Flips the device's "refresh" between "0" and "1". Always 0. */
NEXALIB_API int construct_network_refresh_network_object(OdbHandle *h, const char *dev_name);
#define BOOTPROTO_UNKNOWN (-1)
#define BOOTPROTO_DHCP 1
#define BOOTPROTO_NONE 2
#define BOOTPROTO_PPPOE 3
/* The device's boot protocol as one of the BOOTPROTO_ codes. */
NEXALIB_API int construct_network_get_bootproto(OdbHandle *h, const char *dev_name);
/* Room of the buffer nexalib_get_etc_resolve_dns_string writes into,
 * terminator included. */
#define NEXALIB_RESOLV_DNS_SIZE 256
/* Writes the "&"-list of the name servers of "/etc/resolv.conf" into the
 * caller's buf (NEXALIB_RESOLV_DNS_SIZE bytes), whole entries only; "" when
 * there are none or the file cannot be read. */
NEXALIB_API void nexalib_get_etc_resolve_dns_string(char *buf);

/* ---- DHCP server and DNS ------------------------------------------------- */

/* The DHCP server's configuration text; a new GString the caller frees
 * with g_string_free(s, TRUE); NULL for a null handle. Values that would
 * break the file leave their statement out, with a message. */
NEXALIB_API GString *nexalib_prepare_dhcpd_conf(OdbHandle *h);
/* The same after moving the address pool into the LAN's network; the moved
 * bounds are stored. A new GString the caller frees with
 * g_string_free(s, TRUE); NULL for a null handle. */
NEXALIB_API GString *nexalib_ipchange_dhcpd_conf(OdbHandle *h);
/* Appends the "host" blocks of the static hosts to text. */
NEXALIB_API void nexalib_prepare_dhcpd_static(OdbHandle *h, GString *text);
/* Room of the comma list nexalib_prepare_dns writes, terminator included. */
#define NEXALIB_DNS_SERVERS_SIZE 80
/* Writes the comma list of an "&"-list ("a,b" for "&a&b&"), whole entries
 * only, into the caller's out (NEXALIB_DNS_SERVERS_SIZE bytes); out is left
 * untouched for an empty list. list is not changed. Returns out, the
 * caller's buffer. */
NEXALIB_API char *nexalib_prepare_dns(char *list, char *out);
/* Room of each address buffer below, terminator included. */
#define NEXALIB_ADDRESS_SIZE 20
/* Writes the broadcast and subnet addresses of a dotted-quad address and
 * mask into the caller's buffers (NEXALIB_ADDRESS_SIZE bytes each); the
 * length of the broadcast text, or -1 with both empty when either text is
 * not a dotted quad. */
NEXALIB_API int nexalib_get_broadcast_and_subnet_ip(const char *address, const char *mask,
                                                    char *broadcast, char *subnet);

/* ---- Routing table and default gateway ----------------------------------- */

struct sockaddr;
/* Formatting options: any of the low twelve bits prints numbers only. */
#define ADDR_HOST 0x4000
#define ADDR_DEFAULT 0x8000
/* Fills an IPv4 address from text: type 1 takes the route file's eight hex
 * digits (8, or -1); type 256 tries host names first, other types network
 * names first (0 host, 1 network or "default", -1 with errno set). */
NEXALIB_API int INET_input(int type, const char *text, struct sockaddr *sa);
/* The address as text ("[NONE SET]" for an unset family); the result
 * points into a static buffer valid until the next call; NULL on failure. */
NEXALIB_API const char *INET_sprintmask(struct sockaddr *sa, int options, uint32_t netmask);
/* Reads the header line of fh and builds the scan format of the (title,
 * conversion) pairs ended by a NULL title; malloc'ed, the caller frees it
 * with free(). NULL when a title is missing and more is 0 (a warning naming
 * name goes to stderr). */
NEXALIB_API char *proc_gen_fmt(const char *name, int more, FILE *fh, ...);
/* The dotted-quad gateway of the last up gateway route of
 * "/proc/net/route"; malloc'ed, the caller frees it with free(); NULL when
 * there is none. */
NEXALIB_API char *nexalib_getroute_info(void);
/* Deletes the default route when the gateway was old_gw and is now new_gw
 * (NULL: none) and they differ. */
NEXALIB_API void delete_gateway(const char *old_gw, const char *new_gw);
/* Adds the default route via new_gw when it is set and differs from old_gw;
 * returns 0. */
NEXALIB_API int add_gateway(const char *old_gw, const char *new_gw);
/* Replaces the default route with the props' "gateway" (none when empty or
 * not enabled) when it differs from old_gw; returns 0. */
NEXALIB_API int nexalib_change_gateway(OdbProps *p, int enabled, const char *old_gw);

/* ---- Port redirection, remote access and web server port ----------------- */

/* Adds (mode 1) or removes the DNAT rules of a virtual-server entry on the
 * WAN device and "ppp0"; 0 done (a disabled entry adds nothing), 1 when the
 * entry has no protocol list. */
NEXALIB_API int nexalib_virtual_server_handler(OdbHandle *h, OdbProps *p, int mode);
/* With address translation on: writes the configured remote-management
 * port into "/etc/thttpd.conf", restarts a running web server and redirects
 * port 80 of the LAN address to it. */
NEXALIB_API void nexalib_set_iptables_remote_access_redirect(OdbHandle *h);
/* The same for a change from old_port to new_port, removing the old rules. */
NEXALIB_API void nexalib_set_iptables_remote_access_redirect_to_port(OdbHandle *h,
                                                                     const char *old_port,
                                                                     const char *new_port);
/* Replaces the first "port" line of "/etc/thttpd.conf" by "port=<port>". */
NEXALIB_API void nexalib_set_etc_thttpd_port(int port);
/* Writes "/etc/UPnP.xml" from the "System" object's identity. */
NEXALIB_API void nexalib_modify_upnp_xml(OdbHandle *h);

/* ---- Dynamic DNS --------------------------------------------------------- */

/* Room of a dynamic-DNS status text, terminator included. */
#define NEXALIB_DDNS_STATUS_SIZE 1024
/* The update client's configuration text: a new GString the caller frees
 * with g_string_free(s, TRUE); NULL for a null handle. */
NEXALIB_API GString *nexalib_prepare_ddns_conf(OdbHandle *h);
/* Appends the kept lines of "/var/log/log.ddns" to buf in place, each
 * followed by " . "; buf holds NEXALIB_DDNS_STATUS_SIZE bytes. */
NEXALIB_API void parse_ddns_status(char *buf);
/* Stores the status ("DDNS client is closed." when enabled is "0", else the
 * log or "connecting") in namespace "Ddns" of *oid when it differs from p. */
NEXALIB_API void nexalib_set_ddns_status(OdbHandle *h, int *oid, OdbProps *p, const char *enabled);

/* ---- Wireless configuration ---------------------------------------------- */

/* Apply the wireless configuration object oid to the RT61, the RT2860 or
 * the firmware image's radio driver; nothing when "Wireless" is disabled.
 * The two fixed variants return 0. */
NEXALIB_API int nexalib_set_wireless_conf(OdbHandle *h, int oid);
NEXALIB_API int nexalib_set_wireless_2860_conf(OdbHandle *h, int oid);
NEXALIB_API void nexalib_set_wireless_Ralink_conf(OdbHandle *h, int oid);
/* Sets driver parameter param of "ra0" to the property's value (empty when
 * unset); the shell's status. */
NEXALIB_API int nexalib_setCmd(OdbProps *props, const char *name, const char *param);
/* Replaces the "param=" line of the parameter file at path with the
 * property's value; *flag is 2 after a rewrite, else 1. -1 when the file
 * cannot be read or written or the value holds a line break, else 0. */
NEXALIB_API int modify_wireless_conf(OdbProps *props, const char *name, const char *param,
                                     int *flag, const char *path);
/* A debug hook that does nothing; returns text itself (the caller's). */
NEXALIB_API const char *wireless_dbg(const char *text);

/* ---- UWB link status ----------------------------------------------------- */

/* Texts are cut to size - 1 characters. The interface's radio address as
 * "00:11:22:33:44:55", "33221100_00005544" and "4455" (placeholders for an
 * interface without one); -1 when no socket could be opened. */
NEXALIB_API int uwbtzero_get_mac(const char *ifname, char *eui, char *eui_bin, char *serial,
                                 int size);
/* The neighbours a scan finds, as 7-byte records (six address bytes and a
 * zero); the caller owns them: g_slist_free_full(list, free). */
NEXALIB_API GSList *get_neighbors_eui_list(int index);
/* The three text forms of a 6-byte address; 0. */
NEXALIB_API int uwbtzero_get_eui_str(const unsigned char *eui, char *buf, int size);
NEXALIB_API int uwbtzero_get_eui_bin(const unsigned char *eui, char *buf, int size);
NEXALIB_API int uwbtzero_get_serialnum(const unsigned char *eui, char *buf, int size);
/* A link figure of the neighbour at tool-form address eui_bin; -1 when the
 * tool's output could not be had, else 0 (buf unchanged without a reading). */
NEXALIB_API int uwbtzero_get_tx_rate(const char *eui_bin, char *buf, int size, int index);
NEXALIB_API int uwbtzero_get_selected_ack(const char *eui_bin, char *buf, int size, int index);
NEXALIB_API int uwbtzero_get_rx_diversity(const char *eui_bin, char *buf, int size, int index);
NEXALIB_API int uwbtzero_get_link_signal_strength(const char *eui_bin, char *buf, int size,
                                                  int index);
NEXALIB_API int uwbtzero_get_connection_manager_state(char *buf, int size, int index);
/* The device state character; -1 and "0" without a state line. */
NEXALIB_API int uwbtzero_get_device_mode(char *buf, int size, int index);
/* Set a neighbour's receive diversity or transmit rate (decimal text); 0. */
NEXALIB_API int uwbtzero_set_rxdiversity(const char *eui_bin, const char *value, int index);
NEXALIB_API int uwbtzero_set_txrate(const char *eui_bin, const char *rate, const char *extra,
                                    int index);
/* Records a "uwbneighbor" object per neighbour of the "uwbtzero" object; 0. */
NEXALIB_API int uwbtzero_get_neighbors(OdbHandle *h, int oid);
NEXALIB_API int uwbtzero_remove_all_neighbors_object(OdbHandle *h);
/* Flip "refresh", or "neigrefresh" of enabled radios or of one device; 0. */
NEXALIB_API int uwbtzero_refresh(OdbHandle *h);
NEXALIB_API int uwbtzero_neighbor_refresh(OdbHandle *h);
NEXALIB_API int uwbtzero_neighbor_dev_refresh(OdbHandle *h, const char *device);

/* ---- Service start-up and run levels ------------------------------------- */

/* Starts the services enabled in the "System" object *oid (and the music
 * server when Bonjour's "iTunes_enabled" is "1"); 0. */
NEXALIB_API int nexalib_start_all_service(OdbHandle *h, guint32 *oid);
/* Writes key="YES" or key="NO" (the namespace's "enabled") into the
 * run-level file at path with mode: 0, also without "enabled"; -1 when the
 * namespace is missing, the key holds a line break or the file fails. */
NEXALIB_API int nexalib_update_rc_conf(OdbHandle *h, const char *ns, const char *key,
                                       const char *path, mode_t mode);
/* Sets the telnet entries of "/etc/services" to the port; *state is 2 after
 * a rewrite, else 1. -1 when the file fails or the port holds a line break. */
NEXALIB_API int nexalib_modify_inetd_services(const char *port, int *state);
/* Switches the telnet line of "/etc/inetd.conf" off for value "0", on
 * otherwise; *state is 2 after a rewrite, else 1. -1 when the file fails. */
NEXALIB_API int nexalib_modify_inetd_conf(const char *value, int *state);
/* 0 when the process named in the pid file lives, 1 when it is gone. */
NEXALIB_API int nexalib_process_is_die(const char *path);
/* -1 in minimal mode (no usable disk), else 0. */
NEXALIB_API int nexalib_os_in_min_mode(OdbHandle *h);

/* ---- Scheduled tasks, system log and time -------------------------------- */

/* Replaces the job lines of root's crontab holding pattern with "schedule
 * command" (only removes them when add is 0) and restarts cron in the
 * background; the restart's status, -1 when the job would not be one whole
 * line of at most 199 characters (nothing written). */
NEXALIB_API int nexalib_update_crontab_file(OdbHandle *h, const char *schedule, const char *command,
                                            const char *pattern, int add);
/* Replaces the lines of "/etc/syslog.conf" holding pattern with rule and
 * restarts the logger; its status, -1 when nothing was written. */
NEXALIB_API int nexalib_update_syslog_file(OdbHandle *h, const char *rule, const char *pattern);
/* Points the logger at namespace "Syslog"'s "logClient" of oid (the local
 * file when empty) and notes it in "/var/log/messages"; 0, or -1 with
 * nothing noted when the host is refused or the rule cannot be written. */
NEXALIB_API int nexalib_construct_syslog_conf_and_append_message_to_log_file(OdbHandle *h, int oid);
/* Sets the weekly time job and the clock from server ("none" removes the
 * job); 0. */
NEXALIB_API int nexalib_settime_set_ntpServer(OdbHandle *h, int unused, const char *server);

/* ---- Alerts: mail and pop-up messages ------------------------------------ */

/* Sends message as a pop-up to each machine of the odb array machines. */
NEXALIB_API void nexalib_send_popup_messages_to_machines(const char *message, const char *machines);
/* Mails body to each address of the odb array addresses from user@host
 * through host (bodies past about 1.5 KB are cut); a null host sends
 * nothing. */
NEXALIB_API void nexalib_send_mail_to_user(const char *host, const char *addresses,
                                           const char *user, const char *body);

/* ---- BitTorrent client control ------------------------------------------- */

/* Writes the "System" object's BitTorrent rates into "/root/.rtorrent.rc";
 * without a "System" object ends the CGI connection (h is destroyed). */
NEXALIB_API void nexalib_set_bt_conf(OdbHandle *h);
/* Kills the rtorrent process that pattern names, listing processes into
 * the file tmp_path. */
NEXALIB_API void nexalib_stop_bt(const char *pattern, const char *tmp_path);
NEXALIB_API void nexalib_remove_bt_status_files(const char *directory, const char *name);
/* The number of running downloads; with no "BT" object ends the handler
 * connection (h is destroyed) and returns 0. */
NEXALIB_API int nexalib_bt_get_start_sessions(OdbHandle *h);
/* Asks waiting downloads to start while fewer than 5 run; with no "BT"
 * object ends the handler connection (h is destroyed). */
NEXALIB_API void nexalib_bt_start_wait_sessions(OdbHandle *h);

/* ---- Bonjour and the music server ---------------------------------------- */

/* Writes "mt-daapd" or "daapd" (the installed server) into the caller's
 * buffer, which holds at least 9 bytes. */
NEXALIB_API void Bonjour_Check_iTunes_Server(char *buffer);
/* Writes the named server's configuration; another name, or a value holding
 * a line break, writes nothing. */
NEXALIB_API void Bonjour_prepare_daapd_conf(const char *server, const char *host,
                                            const char *mount_path);
/* Starts the music server: the start command's status; -1 (nothing
 * started) for a missing value or one holding a line break. */
NEXALIB_API int BonjourLib_iTunes_START(const char *host, const char *mount_path);
NEXALIB_API void BonjourLib_iTunes_STOP(void);
NEXALIB_API void BonjourLib_mDNSResponder_START(const char *name);
NEXALIB_API void BonjourLib_mDNSResponder_STOP(void);
NEXALIB_API void BonjourLib_RouteTable_add(const char *ifname);
NEXALIB_API void BonjourLib_RouteTable_del(const char *ifname);
/* Appends the text as one line to "/var/log/log.bj". */
NEXALIB_API void bj_dbg(const char *text);

/* ---- Administrative event log -------------------------------------------- */

/* Result codes with entries of their own. */
#define LOG_RESULT_GROUP_RESERVED 0x20002
#define LOG_RESULT_GROUP_EXISTS 0x20003
#define LOG_RESULT_HOSTNAME_TOO_LONG 0x30001

/* Renames the file to "<path>.old" when it is larger than 1,024,000 bytes;
 * 0 when nothing was done or the rename succeeded, else the rename's -1. */
NEXALIB_API int odb_debug_mask_check_log_size(const char *path);
/* Appends the formatted message as one line to "/var/log/log.odbd";
 * 0, or -1 when the entry was lost. */
NEXALIB_API int odb_debug_mask_syslog(const char *format, ...) NEXALIB_PRINTF(1, 2);
/* Appends the time-stamped formatted message as one line to
 * "/var/log/log.admin"; 0, or -1 when the entry was lost. */
NEXALIB_API int nexalib_log_admin(const char *format, ...) NEXALIB_PRINTF(1, 2);
/* Each writes the entries of one configuration event with its result code;
 * they return the number of entries written (0 for none). */
NEXALIB_API int nexalib_log_user(OdbProps *event, int result);
NEXALIB_API int nexalib_log_group(OdbProps *event, int result);
NEXALIB_API int nexalib_log_system(OdbProps *event, int result);
NEXALIB_API int nexalib_log_network(OdbProps *event, int result);
NEXALIB_API int nexalib_log_foldershare(OdbProps *event, int result);
NEXALIB_API int nexalib_log_samba(OdbProps *event, int result);
NEXALIB_API int nexalib_log_printer(OdbProps *event, int result);
NEXALIB_API int nexalib_log_ftp(OdbProps *event, int result);
NEXALIB_API int nexalib_log_nfs(OdbProps *event, int result);
NEXALIB_API int nexalib_log_guest(OdbProps *event, int result);
/* The quota entry of a user (user = the user object's props). */
NEXALIB_API int nexalib_log_quota(OdbProps *user, OdbProps *event, int result);
/* Writes the entries of the event by its CLASS and NAMESPACE. */
NEXALIB_API int nexalib_log_admin_session(OdbHandle *h, int oid, OdbProps *event, int result);
/* Cuts the log file at path into the page files "<dir>/log/.<name>1" to
 * "...9", 30 lines each, blank lines left out. */
NEXALIB_API void write_log_to_other_file(const char *name, const char *dir, const char *path);

#ifdef __cplusplus
}
#endif

#endif /* NEXALIB_H */
