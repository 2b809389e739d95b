// Leaks on purpose: run under the sanitizers, LeakSanitizer must fail it.
#include <cstdlib>

int main() {
  void* volatile lost = std::malloc(4096);
  lost = nullptr;
  return lost == nullptr ? 0 : 1;
}
