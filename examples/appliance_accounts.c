/* Adds the accounts of the "User" and "Group" objects to /etc/passwd and
 * /etc/group, as the account handlers do when the web pages make them:
 * each user gets a home on the system volume and "users" as primary group,
 * each group its members. */
#include <stdio.h>

#include "appliance_session.h"

/* Appliance users sign in to shares, never to a shell. */
static const char *const kShell = "/bin/false";

static int add_users(OdbHandle *h, const char *volume) {
  int failures = 0;
  const int users_gid = nexalib_get_gid_by_grpname(NULL);
  GSList *node;
  for (node = find_classname_oids(h, "User"); node; node = node->next) {
    const int oid = (int)GPOINTER_TO_UINT(node->data);
    const char *name = session_prop(h, oid, "", "name");
    char home[NEXALIB_SHARE_PATH_SIZE];
    struct passwd *added = NULL;
    if (nexalib_prepare_home_dir(volume, name, home) == 0 && nexalib_create_dir(home, 0755) == 0)
      added = nexalib_adduser(name, "x", 0, users_gid, session_prop(h, oid, "", "description"),
                              home, kShell);
    if (!added) {
      fprintf(stderr, "user %s: not added\n", name);
      ++failures;
      continue;
    }
    printf("user %s: uid %d, home %s\n", added->pw_name, (int)added->pw_uid, added->pw_dir);
  }
  return failures;
}

static int add_groups(OdbHandle *h) {
  int failures = 0;
  GSList *node;
  for (node = find_classname_oids(h, "Group"); node; node = node->next) {
    const int oid = (int)GPOINTER_TO_UINT(node->data);
    const char *name = session_prop(h, oid, "", "name");
    GSList *members = nexalib_odb_array_to_list(session_prop(h, oid, "", "members"));
    GString *list = nexalib_list_to_group_member_format(members);
    const int result = nexalib_addgroup(name, 0, list ? list->str : "");
    if (result == 0) {
      printf("group %s: id %d, members %s\n", name, nexalib_get_gid_by_grpname(name),
             list ? list->str : "(none)");
    } else {
      fprintf(stderr, "group %s: not added (%d)\n", name, result);
      ++failures;
    }
    if (list) g_string_free(list, TRUE);
    nexalib_g_slist_free_all(members);
  }
  return failures;
}

int main(void) {
  OdbHandle *h = session_open("appliance_accounts");
  int failures;
  if (!h) return 1;
  failures = add_users(h, session_prop(h, session_first_oid(h, "System"), "Disk", "rootdir"));
  failures += add_groups(h);
  return session_close(h, failures);
}
