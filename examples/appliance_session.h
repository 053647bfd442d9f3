/* What every example program does around its work: connect to the
 * configuration daemon as a CGI program does, look objects up and end the
 * connection. Public headers only, as in a program of the appliance. */
#ifndef APPLIANCE_SESSION_H
#define APPLIANCE_SESSION_H

#include "nexalib.h"

/* The connection, or NULL with a message on standard error. */
OdbHandle *session_open(const char *program);
/* The oid of the first object of the class, or 0 with a message. */
int session_first_oid(OdbHandle *h, const char *class_name);
/* A property of the object's namespace ("" for the main one); "" when it
 * has none. The text belongs to the client library. */
const char *session_prop(OdbHandle *h, int oid, const char *ns, const char *key);
/* Ends the connection; the program's exit status: 0 when failures is 0. */
int session_close(OdbHandle *h, int failures);

#endif /* APPLIANCE_SESSION_H */
