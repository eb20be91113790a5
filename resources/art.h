#pragma once
// A picture drawn as pixel art in resources/art: 0xAARRGGBB pixels, row by row
// from the top; alpha is 0 (transparent) or 255.

#include <cstdint>

namespace resources {

struct Art {
  int width;
  int height;
  const std::uint32_t* pixels;
};

}  // namespace resources
