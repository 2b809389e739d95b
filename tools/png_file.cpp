#include "png_file.h"

#include <png.h>

#include <cstring>

namespace morv {

bool WritePngRgb(const char* path, int width, int height, const std::vector<std::uint8_t>& rgb,
                 std::string* error) {
  if (width < 1 || height < 1 ||
      rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    if (error != nullptr) *error = "picture size does not match its pixels";
    return false;
  }
  // libpng's simplified interface: no setjmp error handling to get wrong.
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) == 0) {
    if (error != nullptr) *error = image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

}  // namespace morv
