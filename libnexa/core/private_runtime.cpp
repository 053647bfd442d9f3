// The C++ runtime is linked into the library privately. The library throws
// and catches nothing, so an exception from the runtime (an allocation
// failure) ends the process; the runtime's default handler would first
// print the exception's demangled type, which would bring the whole name
// demangler into the library. End the process straight away instead.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx
