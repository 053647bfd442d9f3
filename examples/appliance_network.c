/* Writes the DHCP server's configuration from the "DhcpParam" and
 * "DhcpStatic" objects and the LAN's "Network" object, as the network
 * handler does after the LAN settings change. */
#include <stdio.h>

#include "appliance_session.h"

static const char *const kDhcpdConf = "/etc/dhcpd.conf";

int main(void) {
  OdbHandle *h = session_open("appliance_network");
  GString *text;
  int failures = 0;
  if (!h) return 1;
  text = nexalib_prepare_dhcpd_conf(h);
  if (!text || nexalib_output_to_file(text, kDhcpdConf, 0644) != 0) {
    fprintf(stderr, "%s could not be written\n", kDhcpdConf);
    ++failures;
  } else {
    printf("DHCP server: %s for LAN %s\n", kDhcpdConf, nexalib_get_landevname(h));
  }
  if (text) g_string_free(text, TRUE);
  return session_close(h, failures);
}
