/* Test controls of the in-memory stand-in for the configuration daemon's
 * client library. Programs that use only odb.h never need this header.
 *
 * The stand-in keeps one configuration per process. When the environment
 * variable ODB_STANDIN_FILE names a GLib key file, the configuration is
 * loaded from it by the first odb_handle_new of the process and written back
 * after every change, so that a sequence of short-lived programs shares one
 * configuration. When ODB_STANDIN_LOG names a file, every log entry is also
 * appended to it, one per line.
 *
 * Loading happens on the first use of the configuration after the process
 * starts or after odb_standin_reset: the first odb_handle_new, or an earlier
 * test control that reads or changes objects. A missing file is an empty
 * configuration. Changes made through the test controls are written back too,
 * which is how a test or demonstration seeds the file.
 *
 * Key file layout: one group per object and namespace. Group "<oid>" holds
 * "class" and the main-namespace properties; group "<oid>/<namespace>" holds
 * the properties of that namespace. Values are stored with GKeyFile's escapes
 * and may hold any text. A main-namespace property named "class", and names
 * a key file cannot hold (empty, "=", "[", "]", control characters, a leading
 * "#" or space), stay in memory only, with a warning.
 *
 * Log entries (one text each, in order):
 *   "connect <socket path>"            "connect_handler <oid or 0>"
 *   "set <oid> <ns> <key>=<value> ..."  keys sorted; ns "" written as ""
 *   "create <class> <oid> <key>=<value> ..."
 *   "destroy <oid>"
 *   "bad_data <oid> <ns> <key> <message id>"
 *   "bye"                               "bye_handler <status> <message>"
 * Texts are written as they are; a null text as the empty one. The main
 * namespace is written "" (the two quote characters) in set and bad_data
 * entries. A set, create or destroy is logged only when it changed the
 * configuration (a set or destroy of an unknown oid returns 0 and is not
 * logged); the key=value pairs are the new values of the props passed.
 * bye_handler with the empty message gives "bye_handler 0 " (trailing space).
 * Calls on a null handle do nothing and fail.
 *
 * Where odb.h leaves room, the stand-in answers so:
 * - odb_get_cmnd returns NULL for an unknown oid and for a namespace other
 *   than the main one that holds no property; the main namespace of a known
 *   object always gives a props, empty or not. Each call gives a new props
 *   (a copy of the stored values at that moment), freed with the handle.
 * - odb_props_destroy on a props from odb_get_cmnd aborts with a message, so
 *   that the mistake shows where it is made.
 * - odb_set_cmnd and odb_create_cmnd store the new values of the props only;
 *   odb_set_cmnd returns 1 on success, odb_destroy_cmnd 1 when it destroyed.
 * - odb_props_set ignores a null key or value. Key iteration is in byte order
 *   of the keys, over the keys present when it started; after its NULL it
 *   stays at the end until odb_props_reinit.
 * - odb_array_deserial tolerates a missing leading "&".
 * - Connections are not checked: every call works on a handle whether or not
 *   odb_connect_cmnd succeeded.
 */
#ifndef ODB_STANDIN_H
#define ODB_STANDIN_H

#include "odb.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Forgets every object, injected error, setting and log entry (the log file
 * is left as it is); the next use loads the key file again, as a new process
 * would. */
void odb_standin_reset(void);

/* Adds an object of the class and returns its oid (the next free one: one
 * above the highest oid in use). */
guint32 odb_standin_add_object(const char *class_name);
/* Stores a property value (NULL value removes the property). */
void odb_standin_set_prop(guint32 oid, const char *ns, const char *key, const char *value);
/* The stored value, or NULL; valid until that property changes. */
const char *odb_standin_get_prop(guint32 oid, const char *ns, const char *key);
/* Whether an object with this oid exists. */
int odb_standin_has_object(guint32 oid);

/* Makes odb_connect_cmnd fail (nonzero) or succeed (0, the default). */
void odb_standin_fail_connect(int fail);
/* The oid odb_connect_handler_cmnd hands out (default 0: failure). */
void odb_standin_set_handler_oid(guint32 oid);
/* The results odb_bye_cmnd and odb_bye_handler_cmnd return (default 0). */
void odb_standin_set_bye_result(int result);
/* Adds an error record to what odb_last_errors_cmnd returns (every call
 * returns all records added since the last reset; NULL when there are none). */
void odb_standin_add_last_error(guint32 oid, const char *ns, const char *key, const char *message);

/* A props as the daemon hands to a handler for an event: state (2 created,
 * 3 destroyed, other modified); fill it with odb_props_set (new values) and
 * odb_standin_props_set_old (old values). Destroy with odb_props_destroy.
 * Props from odb_props_new read as modified (state 0). */
OdbProps *odb_standin_event_props(int state);
void odb_standin_props_set_old(OdbProps *p, const char *key, const char *value);

/* The log entries so far, joined with "\n" (each followed by "\n"); the
 * caller frees the text with g_free. */
char *odb_standin_log_text(void);
/* Forgets the entries kept in memory; the log file is left as it is. */
void odb_standin_log_clear(void);

#ifdef __cplusplus
}
#endif

#endif /* ODB_STANDIN_H */
