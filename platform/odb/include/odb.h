/* Client interface of the configuration daemon odbd.
 *
 * The appliance's platform provides the real client library; any library
 * with these declarations and semantics can stand in for it (the host
 * program links the one it wants).
 *
 * Semantics callers rely on:
 * - Configuration objects have a class name, an oid (positive 32-bit; 0 means
 *   none) and text properties grouped in namespaces ("" is the main one).
 * - oids travel in GSList node data as GUINT_TO_POINTER(oid).
 * - odb_props_set puts a copy of the value into new_values.
 * - A props from odb_get_cmnd holds the stored values in old_values.
 * - odb_props_get returns the new value of a key when it has one, else its
 *   old value (NULL when neither). odb_props_get_new and odb_props_get_old
 *   read one table each.
 * - Key iteration (odb_props_reinit, then odb_props_nextkey until NULL)
 *   visits each key of either table once.
 * - odb_props_state, after odb_props_reinit: 2 = object being created,
 *   3 = being destroyed, anything else = modified.
 * - odb_find_cmnd matches the objects of the class whose main-namespace
 *   property equals each criterion (the criteria's values as odb_props_get
 *   gives them) or, when the stored value is an odb array ("&a&b&"), holds
 *   the criterion as one of its elements. Empty or NULL criteria match every
 *   object of the class. Lists are in creation order; NULL when nothing
 *   matches.
 * - Ownership: lists from odb_find_cmnd and odb_last_errors_cmnd and props
 *   from odb_get_cmnd belong to the client library (valid until the handle is
 *   destroyed); props from odb_props_new belong to the caller, who destroys
 *   them with odb_props_destroy. odb_array_deserial returns a list of strings
 *   allocated with malloc, owned by the caller (free each, then the list).
 * - Results: odb_connect_cmnd returns 0 on failure; odb_connect_handler_cmnd
 *   returns the oid the handler was started for, 0 on failure;
 *   odb_create_cmnd returns the new oid, 0 on failure.
 */
#ifndef ODB_H
#define ODB_H

#include <glib.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OdbHandle OdbHandle; /* opaque */
typedef struct OdbProps {           /* the first two members are public */
  GHashTable *new_values;           /* key -> value, strings */
  GHashTable *old_values;           /* key -> value, strings */
  /* private members of the client library follow */
} OdbProps;
typedef struct OdbError {
  guint32 oid;
  char *ns;
  char *key;
  char *message;
} OdbError;

OdbHandle *odb_handle_new(void);
void odb_handle_destroy(OdbHandle *h);
int odb_connect_cmnd(OdbHandle *h, const char *socket_path); /* 0 = failure */
guint32 odb_connect_handler_cmnd(OdbHandle *h);              /* oid, 0 = failure */
int odb_bye_cmnd(OdbHandle *h);
int odb_bye_handler_cmnd(OdbHandle *h, int status, const char *message);
GSList *odb_find_cmnd(OdbHandle *h, const char *class_name, OdbProps *criteria);
OdbProps *odb_get_cmnd(OdbHandle *h, guint32 oid, const char *ns);
int odb_set_cmnd(OdbHandle *h, guint32 oid, const char *ns, OdbProps *changes);
guint32 odb_create_cmnd(OdbHandle *h, const char *class_name, OdbProps *props);
int odb_destroy_cmnd(OdbHandle *h, guint32 oid);
void odb_bad_data_cmnd(OdbHandle *h, guint32 oid, const char *ns, const char *key,
                       const char *message_id);
GSList *odb_last_errors_cmnd(OdbHandle *h); /* of OdbError* */
OdbProps *odb_props_new(void);
void odb_props_destroy(OdbProps *p);
const char *odb_props_get(OdbProps *p, const char *key);
void odb_props_set(OdbProps *p, const char *key, const char *value);
const char *odb_props_get_new(OdbProps *p, const char *key);
const char *odb_props_get_old(OdbProps *p, const char *key);
void odb_props_reinit(OdbProps *p);
const char *odb_props_nextkey(OdbProps *p);
int odb_props_state(OdbProps *p);
GSList *odb_array_deserial(const char *array);

#ifdef __cplusplus
}
#endif

#endif /* ODB_H */
