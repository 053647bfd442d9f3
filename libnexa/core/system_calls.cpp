// The environment, the clock, the system log and the kernel calls, each
// behind one seam; tests install fakes for all but the environment.
#include <sys/ioctl.h>
#include <sys/quota.h>
#include <sys/socket.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>

#include "core/sys.h"

namespace nexa::sys {

namespace {

Clock& current_clock() {
  static Clock clock;
  return clock;
}

LogSink& current_sink() {
  static LogSink sink;
  return sink;
}

KernelCalls& current_calls() {
  static KernelCalls calls;
  return calls;
}

}  // namespace

const char* environment(const char* name) {
  return std::getenv(name);
}

Status set_environment(const char* name, const char* value) {
  return Status::from_call(::setenv(name, value, 1));
}

time_t now() {
  if (const Clock& clock = current_clock()) return clock();
  return std::time(nullptr);
}

Clock set_clock(Clock clock) {
  return std::exchange(current_clock(), std::move(clock));
}

void log(int priority, std::string_view message) {
  const std::string text(message);
  if (const LogSink& sink = current_sink()) return sink(priority, text);
  syslog(priority, "%s", text.c_str());
}

LogSink set_log_sink(LogSink sink) {
  return std::exchange(current_sink(), std::move(sink));
}

Result<struct statfs> file_system_stats(std::string_view path) {
  const std::string mapped = map_path(path);
  struct statfs st {};
  const auto& fake = current_calls().statfs;
  const int result = fake ? fake(mapped.c_str(), &st) : ::statfs(mapped.c_str(), &st);
  if (result != 0) return Status::from_errno();
  return st;
}

Status quota_control(int command, std::string_view special, int id, void* data) {
  const std::string device(special);
  const auto& fake = current_calls().quotactl;
  return Status::from_call(
      fake ? fake(command, device.c_str(), id, data)
           : ::quotactl(command, device.c_str(), id, static_cast<caddr_t>(data)));
}

Status interface_control(unsigned long request, struct ifreq& data) {
  if (const auto& fake = current_calls().interface_ioctl)
    return Status::from_call(fake(request, &data));
  const UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd) return Status::from_errno();
  return Status::from_call(::ioctl(fd.get(), request, &data));
}

KernelCalls set_kernel_calls(KernelCalls calls) {
  return std::exchange(current_calls(), std::move(calls));
}

}  // namespace nexa::sys
