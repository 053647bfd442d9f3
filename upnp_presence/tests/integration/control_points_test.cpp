// Real control points find the device: GUPnP through Python, miniupnpc and
// gssdp-discover.
#include <chrono>
#include <string>

#include "child_process.h"
#include "expected_texts.h"
#include "presence_fixture.h"

namespace presence::integration {
namespace {

using namespace std::chrono_literals;
using ControlPoints = PresenceTest;

// Debian's interpreter: GUPnP's introspection data is installed for it only.
constexpr const char* kDebianPython = "/usr/bin/python3";
constexpr const char* kUpnpc = "/usr/bin/upnpc";
constexpr const char* kGssdpDiscover = "/usr/bin/gssdp-discover";

bool has_line(const std::string& text, const std::string& line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(ControlPoints, GupnpFindsTheDeviceAndItsService) {
  // A name the description must escape, read back through a real XML parser.
  const uint16_t port = start_daemon({"--name", "Living Room & Co"}).http_port();
  const CommandResult found = run_command(
      {kDebianPython, FIND_DEVICE_SCRIPT, "--interface", kClientInterface, "--timeout", "20"}, 40s);
  ASSERT_TRUE(found.succeeded()) << found.describe();
  EXPECT_TRUE(has_line(found.output, "friendly_name=Living Room & Co")) << found.output;
  EXPECT_TRUE(has_line(found.output, "udn=uuid:" + udn_proper(8088, kDaemonAddress)))
      << found.output;
  EXPECT_TRUE(has_line(found.output, "location=" + description_url(kDaemonAddress, port)))
      << found.output;
  EXPECT_TRUE(has_line(found.output, "service=" + std::string(kServiceType))) << found.output;
}

TEST_F(ControlPoints, MiniupnpcListsTheDescriptionUrl) {
  const uint16_t port = start_daemon().http_port();
  // The device is no Internet gateway, so upnpc ends in failure after listing
  // what it found; the listing is what counts.
  const CommandResult listed = run_command({kUpnpc, "-l"}, 40s);
  ASSERT_TRUE(listed.status) << "upnpc hung: " << listed.describe();
  EXPECT_NE(listed.output.find(" desc: " + description_url(kDaemonAddress, port)),
            std::string::npos)
      << listed.describe();
}

TEST_F(ControlPoints, GssdpDiscoverSeesTheRootDevice) {
  const uint16_t port = start_daemon().http_port();
  const CommandResult seen = run_command({kGssdpDiscover, "--interface", kClientInterface,
                                          "--target", "upnp:rootdevice", "--timeout", "4"},
                                         40s);
  ASSERT_TRUE(seen.succeeded()) << seen.describe();
  EXPECT_TRUE(has_line(
      seen.output, "  USN:      uuid:" + udn_proper(8088, kDaemonAddress) + "::upnp:rootdevice"))
      << seen.output;
  EXPECT_TRUE(has_line(seen.output, "  Location: " + description_url(kDaemonAddress, port)))
      << seen.output;
}

}  // namespace
}  // namespace presence::integration
