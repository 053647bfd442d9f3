// Benchmark: how much loading libnexa adds to a CGI's start. Runs the
// minimal page on libnexa and the same page on GLib alone in pairs (the
// order alternating), and prints the medians, the median of the per-pair
// ratios of wall and CPU time, and the dynamic loader's own figures.
//
// Usage: nexa_cgi_bench <libnexa CGI> <GLib CGI> [pairs]   (default 400)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_rows.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
  double wall_ms = 0;
  double cpu_ms = 0;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Starts the program with a query and stdout on /dev/null (stderr on `err`
// when given); exits on a failed start or a failed page, as the figures
// would then mean nothing.
Run run_once(const char* program, const char* debug, const char* err) {
  std::vector<std::string> env_text = {"QUERY_STRING=name=photos&mode=list+all",
                                       "REQUEST_METHOD=GET", "PATH=/usr/bin:/bin"};
  if (debug) env_text.push_back(std::string("LD_DEBUG=") + debug);
  std::vector<char*> env;
  env.reserve(env_text.size() + 1);
  for (std::string& text : env_text) env.push_back(text.data());
  env.push_back(nullptr);
  char* args[] = {const_cast<char*>(program), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (err) posix_spawn_file_actions_addopen(&actions, 2, err, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program, &actions, nullptr, args, env.data());
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  struct rusage usage {};
  if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s did not run to a clean end\n", program);
    std::exit(1);
  }
  const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return {wall, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

// The figure after `label` in the loader's statistics ("number of
// relocations: 2047"), or -1.
double loader_figure(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return -1;
  return std::strtod(text.c_str() + at + label.size(), nullptr);
}

void print_loader_statistics(const char* name, const char* program) {
  char path[] = "/tmp/nexa-cgi-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return;
  close(fd);
  run_once(program, "statistics", path);
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  unlink(path);
  const std::string all = text.str();
  const double relocations = loader_figure(all, "number of relocations:");
  const double cached = loader_figure(all, "number of relocations from cache:");
  const size_t share = all.find("time needed for relocation:");
  const size_t open = share == std::string::npos ? share : all.find('(', share);
  std::printf("%-6s relocations %6.0f, from cache %4.0f, relocating %s of the loader's time\n",
              name, relocations, cached,
              open == std::string::npos
                  ? "?"
                  : all.substr(open + 1, all.find(')', open) - open - 1).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <libnexa CGI> <GLib CGI> [pairs]\n", argv[0]);
    return 2;
  }
  const int pairs = argc > 3 ? std::atoi(argv[3]) : 400;
  // Warm the page cache and the loader's cache first.
  for (int i = 0; i < 20; ++i) {
    run_once(argv[1], nullptr, nullptr);
    run_once(argv[2], nullptr, nullptr);
  }
  std::vector<double> nexa_wall, glib_wall, nexa_cpu, glib_cpu, wall_ratio, cpu_ratio;
  for (int i = 0; i < pairs; ++i) {
    Run nexa, glib;
    if (i % 2) {
      nexa = run_once(argv[1], nullptr, nullptr);
      glib = run_once(argv[2], nullptr, nullptr);
    } else {
      glib = run_once(argv[2], nullptr, nullptr);
      nexa = run_once(argv[1], nullptr, nullptr);
    }
    nexa_wall.push_back(nexa.wall_ms);
    glib_wall.push_back(glib.wall_ms);
    nexa_cpu.push_back(nexa.cpu_ms);
    glib_cpu.push_back(glib.cpu_ms);
    wall_ratio.push_back(nexa.wall_ms / glib.wall_ms);
    if (glib.cpu_ms > 0) cpu_ratio.push_back(nexa.cpu_ms / glib.cpu_ms);
  }
  std::printf(
      "%d pairs; medians: libnexa %.3f ms wall %.3f ms CPU, GLib alone %.3f ms wall "
      "%.3f ms CPU\n",
      pairs, median(nexa_wall), median(nexa_cpu), median(glib_wall), median(glib_cpu));
  std::printf("median ratio libnexa/GLib: wall %.3f, CPU %.3f\n", median(wall_ratio),
              cpu_ratio.empty() ? 0.0 : median(cpu_ratio));
  print_row("CGI start-up, wall", median(nexa_wall), "ms", "GLib alone", median(glib_wall),
            median(wall_ratio));
  print_row("CGI start-up, CPU", median(nexa_cpu), "ms", "GLib alone", median(glib_cpu),
            cpu_ratio.empty() ? 0.0 : median(cpu_ratio));
  print_loader_statistics("libnexa", argv[1]);
  print_loader_statistics("GLib", argv[2]);
  return 0;
}
