// Fuzz target: page templates with the values a CGI program collected.
//
// Input: value lines, a NUL byte, then the page. A value line is either
// "name=value" (a single value) or "loop:name:index=value" (a loop value).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "nexalib.h"
#include "web/templates.h"

namespace {

void add_values(PatchMem* p, std::string_view lines) {
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string_view::npos) end = lines.size();
    const std::string line(lines.substr(start, end - start));
    start = end + 1;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    const size_t c1 = key.find(':'), c2 = key.rfind(':');
    if (c1 != std::string::npos && c2 != c1)
      AppendLoopDataToPatchMem(p, key.substr(0, c1).c_str(),
                               key.substr(c1 + 1, c2 - c1 - 1).c_str(), value.c_str(),
                               std::atoi(key.c_str() + c2 + 1));
    else
      AppendPatchMem(p, "", key.c_str(), value.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* sink = std::fopen("/dev/null", "w");
  static PatchMem* p = AllocatePatchMem();  // buffers live for the program
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  std::string page(nul == std::string_view::npos ? input : input.substr(nul + 1));
  // A fresh, empty patch for every input.
  std::fill(reinterpret_cast<char*>(p), reinterpret_cast<char*>(p) + nexa::kPatchSize, '\0');
  p->loop_start = p->loop_end = reinterpret_cast<char*>(p) + nexa::kLoopTextOffset;
  p->var_start = p->var_end = reinterpret_cast<char*>(p) + nexa::kVarTextOffset;
  if (nul != std::string_view::npos) add_values(p, input.substr(0, nul));
  nexa::render_page(page.data(), p, sink);
  return 0;
}
