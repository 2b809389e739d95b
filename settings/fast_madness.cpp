// The "Fast Madness" setting in the registry. Nothing is cached: each call opens and
// closes its own key, so every new saver window sees the latest stored value.
#include "fast_madness.h"

#include <windows.h>

namespace morv {

namespace {

const char KeyPath[] = "Software\\Quillane\\Morvessantique";
const char ValueName[] = "Fast Madness";

}  // namespace

int ReadFastMadness() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return 0;
  }
  // Zero before the query: a value that exists but holds no bytes must read as off.
  BYTE data = 0;
  DWORD size = sizeof data;
  // A value longer than one byte fails with ERROR_MORE_DATA and so reads as off; the
  // type is deliberately not asked for.
  const LONG queried = RegQueryValueExA(key, ValueName, nullptr, nullptr, &data, &size);
  RegCloseKey(key);
  if (queried != ERROR_SUCCESS) {
    return 0;
  }
  return data != 0 ? 1 : 0;
}

int WriteFastMadness(int value) {
  const BYTE byte = static_cast<BYTE>(value & 0xFF);
  // Compared with the reading, not with the stored bytes: switching off what already
  // reads as off (no key, no value, a longer value) creates and writes nothing.
  if (byte == ReadFastMadness()) {
    return 0;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return -1;
  }
  const LONG stored = RegSetValueExA(key, ValueName, 0, REG_BINARY, &byte, 1);
  RegCloseKey(key);
  return stored == ERROR_SUCCESS ? 0 : -2;
}

}  // namespace morv
