/* Shares every "FolderShare" object through Samba and the FTP server, and
 * the printer when there is a "Printer" object, as the share handler does:
 * smb.conf gets one section each (made again from the object), proftpd.conf
 * one Directory block each, and Samba is restarted. */
#include <stdio.h>

#include "appliance_session.h"

static const char *const kSmbConf = "/etc/samba/smb.conf";

static GSList *add_folder_shares(OdbHandle *h, GSList *sections, int *failures) {
  GSList *node;
  for (node = find_classname_oids(h, "FolderShare"); node; node = node->next) {
    int oid = (int)GPOINTER_TO_UINT(node->data);
    OdbProps *share = get_data_by_handle_oid(h, &oid);
    const char *name = share ? odb_props_get(share, "name") : NULL;
    int flag = 1;
    if (!share) continue;
    sections = nexalib_smb_conf_folder_share_add(h, oid, share, sections, &flag);
    if (flag != 2 || modftp_modify_ftp_conf(h, oid, share) != 0) {
      fprintf(stderr, "share %s: not shared (change flag %d)\n", name ? name : "?", flag);
      ++*failures;
      continue;
    }
    printf("share %s: Samba section and FTP block\n", name);
  }
  return sections;
}

static GSList *add_printer(OdbHandle *h, GSList *sections, int *failures) {
  if (!find_classname_oids(h, "Printer")) return sections;
  if (nexalib_smb_printer_checkpc(h) != 0) {
    fprintf(stderr, "printer: the spool could not be made\n");
    ++*failures;
    return sections;
  }
  if (!nexalib_get_hash_table_by_section_name(sections, "printers"))
    sections = g_slist_append(sections, nexalib_smb_conf_printer_add());
  printf("printer: section [printers] and its spool\n");
  return sections;
}

int main(void) {
  OdbHandle *h = session_open("appliance_shares");
  GSList *sections;
  int failures = 0;
  if (!h) return 1;
  sections = nexalib_load_smb_conf_to_list_hash(kSmbConf);
  sections = add_folder_shares(h, sections, &failures);
  sections = add_printer(h, sections, &failures);
  if (nexalib_put_list_hash_to_smb_conf(sections, kSmbConf, 0644) != 0) {
    fprintf(stderr, "%s could not be written\n", kSmbConf);
    ++failures;
  }
  nexalib_g_slist_free_all_hash(sections);
  nexalib_toggle_smb_daemon(h, 2);
  return session_close(h, failures);
}
