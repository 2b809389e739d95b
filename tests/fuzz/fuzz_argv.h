// The argument vector of a fuzz input: the program name, then the input split
// at each newline into one argument each. Every argument is an allocation of
// its own, so that AddressSanitizer sees a read past the end of any of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class FuzzArgv {
 public:
  FuzzArgv(const char* programName, const std::uint8_t* data, std::size_t size) {
    Add(programName, programName + std::strlen(programName));
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
      if (i == size || text[i] == '\n') {
        Add(text + start, text + i);
        start = i + 1;
      }
    }
    for (const std::vector<char>& arg : storage_) argv_.push_back(arg.data());
  }

  int argc() const { return static_cast<int>(argv_.size()); }
  const char* const* argv() const { return argv_.data(); }

 private:
  void Add(const char* begin, const char* end) {
    storage_.emplace_back(begin, end);
    storage_.back().push_back('\0');
  }

  std::vector<std::vector<char>> storage_;
  std::vector<const char*> argv_;
};
