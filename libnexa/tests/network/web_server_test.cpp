// The web server's port line and the UPnP description.
#include "network/web_server.h"

#include "library_test.h"
#include "network/upnp_description.h"
#include "nexalib.h"

namespace nexa {
namespace {

using testing::LibraryTest;

class WebServerTest : public LibraryTest {};

TEST_F(WebServerTest, PortLineRewrite) {
  const std::string piece(1023, 'x');
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } rows[] = {
      {"first_of_two", "dir=/www\nport=80\nuser=nobody\nport=8080\n",
       "dir=/www\nport=8443\nuser=nobody\nport=8080\n"},
      {"indented", "# web\n \t port 80\n", "# web\nport=8443\n"},
      {"any_port_word", "portal=1\nport=80\n", "port=8443\nport=80\n"},
      {"last_line_unterminated", "dir=/www\nport=80", "dir=/www\nport=8443\n"},
      {"no_port_line", "dir=/www\nuser=nobody\n", "dir=/www\nuser=nobody\n"},
      {"port_inside_a_long_line", piece + "port=1\nport=80\n", piece + "port=1\nport=8443\n"},
      {"long_port_line", "port=" + piece + "\nuser=x\n", "port=8443\nuser=x\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    write_file("/etc/thttpd.conf", row.before, 0600);
    nexalib_set_etc_thttpd_port(8443);
    EXPECT_EQ(read_file("/etc/thttpd.conf"), row.after);
    EXPECT_EQ(mode_of("/etc/thttpd.conf"), row.before == row.after ? 0600u : 0644u);
  }
  EXPECT_EQ(list_dir("/etc"), std::vector<std::string>{"thttpd.conf"});
}

class UpnpTest : public LibraryTest {
 protected:
  testing::OdbSession odb;
};

TEST_F(UpnpTest, DescriptionFromTheSystemIdentity) {
  odb.add("System", {{"productVendor", "Nexa"},
                     {"hostname", "nas"},
                     {"manufacturerURL", "http://example.com/?a=1&b=2"},
                     {"Description", "Home <NAS>"},
                     {"productName", "N-4"}});
  nexalib_modify_upnp_xml(odb);
  testing::expect_golden(read_file("/etc/UPnP.xml"), "network/upnp.golden");
  EXPECT_EQ(mode_of("/etc/UPnP.xml"), 0755u);
  testing::expect_accepted_by(
      {"python3", "-c", "import sys, xml.dom.minidom as m; m.parse(sys.argv[1])"},
      path("/etc/UPnP.xml"));
}

class UpnpHostile : public UpnpTest, public ::testing::WithParamInterface<testing::HostileValue> {};

TEST_P(UpnpHostile, FileStaysWellFormed) {
  const std::string value = GetParam().value.substr(0, GetParam().value.find('\0'));
  odb.add("System", {{"productVendor", value},
                     {"hostname", value},
                     {"manufacturerURL", value},
                     {"Description", value},
                     {"productName", value}});
  nexalib_modify_upnp_xml(odb);
  const std::string text = read_file("/etc/UPnP.xml");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 28);
  EXPECT_NE(text.find("<modelName>" + xml_text(value) + "</modelName>\n"), std::string::npos);
  testing::expect_accepted_by(
      {"python3", "-c", "import sys, xml.dom.minidom as m; m.parse(sys.argv[1])"},
      path("/etc/UPnP.xml"));
}

INSTANTIATE_TEST_SUITE_P(Hostile, UpnpHostile, ::testing::ValuesIn(testing::hostile_values()),
                         testing::hostile_value_name);

}  // namespace
}  // namespace nexa
