// upnp_presence: makes the appliance visible to UPnP control points.
#include <signal.h>

#include <cstdlib>

#include "device.h"
#include "event_chain.h"
#include "interface_watch.h"
#include "options.h"
#include "timer_list.h"

// The daemon throws nothing of its own; an allocation failure simply ends
// it. Replacing the runtime's verbose handler keeps its name demangler out of
// the statically linked binary.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

namespace {

presence::EventChain* running_chain = nullptr;

void on_sigint(int) {
  if (running_chain) presence::chain_stop(*running_chain);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace presence;
  const Options options = parse_options(argc, argv);
  auto chain = chain_create();

  DeviceSettings settings;
  settings.friendly_name = make_friendly_name(options.name, read_host_name());
  settings.udn_prefix = make_udn_prefix(options.web_admin_port);
  settings.web_admin_port = options.web_admin_port;
  DeviceState& device = device_create(*chain, std::move(settings));
  device.presentation_handler = redirect_to_web_admin;

  TimerList& timers = timer_list_create(*chain);
  InterfaceWatch watch(device, timers);

  running_chain = chain.get();
  struct sigaction action {};
  action.sa_handler = on_sigint;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);

  chain_run(*chain);
  return 0;
}
