// Writes an 8-bit RGB picture as a PNG file (host builds of the tool).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace morv {

// rgb: width * height * 3 bytes, top row first. False with a reason in *error
// when the file cannot be written.
bool WritePngRgb(const char* path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string* error);

}  // namespace morv
