// Pages that send the browser on and the navigation files of the web
// interface.
#include "web/pages.h"

#include <cstdio>
#include <cstring>

#include "core/odb_access.h"
#include "core/sys.h"

namespace nexa {

namespace {

const char* text(const char* s) {
  return s ? s : "";
}

void page_head() {
  std::printf("Content-type:text/html\n\n");
  std::printf("<HTML>\n");
  std::printf("<HEAD>\n");
  std::printf("<META HTTP-EQUIV=\"expires\" CONTENT=\"-1\">\n");
  std::printf("<META HTTP-EQUIV=\"Pragma\" CONTENT=\"no-cache\">\n");
  std::printf("</HEAD>\n");
  std::printf("<BODY>\n");
}

// The opening of the script every page ends with.
void script_head() {
  std::printf("<script language=\"JavaScript\">\n");
  std::printf("function gotoUrl()\n");
  std::printf("{\n");
}

void page_tail() {
  std::printf("</BODY>\n");
  std::printf("</HTML>\n");
}

}  // namespace

void page_goto_url(const char* action, int delay) {
  page_head();
  std::printf(
      "<FORM NAME=\"form\" METHOD=\"POST\" ACTION=\"%s\" ENCTYPE=\"multipart/form-data\" >\n",
      text(action));
  std::printf("<INPUT TYPE=\"HIDDEN\" NAME=\"\" VALUE=\"\" >\n");
  script_head();
  std::printf("\tdocument.form.submit();\n");
  std::printf("}\n");
  std::printf("setTimeout('gotoUrl()', %d);\n", delay);
  std::printf("</script>\n");
  std::printf("</FORM>\n");
  page_tail();
}

void page_goto_new_ip(const char* host, const char* message, int delay) {
  page_head();
  script_head();
  std::printf("top.location = \"http://%s\";\n", text(host));
  std::printf("}\n");
  std::printf("alert('%s');\n", text(message));
  std::printf("setTimeout('gotoUrl()', %d);\n", delay);
  std::printf("</script>\n");
  std::printf("</FORM>\n");
  page_tail();
}

void page_goto_top_url(const char* path, int delay) {
  page_head();
  std::printf("<INPUT TYPE=\"HIDDEN\" NAME=\"\" VALUE=\"\" >\n");
  script_head();
  std::printf("        top.location=\"http://\"+document.location.hostname+\"%s\";\n", text(path));
  std::printf("}\n");
  std::printf("setTimeout('gotoUrl()', %d);\n", delay);
  std::printf("</script>\n");
  page_tail();
}

void remove_wizard_nav(OdbHandle& h) {
  const guint32 system = system_oid(h);
  auto has_namespace = [&](const char* ns) {
    return system != 0 && odb_get_cmnd(&h, system, ns) != nullptr;
  };
  if (!has_namespace("GroupDefaults")) sys::remove_file("/usr/webroot/nav/wizard/addGroup.xml");
  if (!has_namespace("FolderShare")) sys::remove_file("/usr/webroot/nav/wizard/addShare.xml");
}

}  // namespace nexa
