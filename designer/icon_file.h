#pragma once
// An icon file (.ico) read as the one-file build takes it, in plain C++: every
// image with its directory entry, each checked so that the system can show it.
// A file that is no icon the build can use is refused with the reason in Russian,
// and no input makes the reader step outside its bytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "designer/pe_resources.h"

namespace designer::ico {

inline constexpr std::size_t kMaxFileBytes = 1u << 20;  // 1 MB
inline constexpr int kMaxSide = 256;                    // pixels
inline constexpr std::size_t kMaxImages = 256;

// The images of an .ico file in the order of its directory, each with the colour
// depth its directory entry gives, or its own where the entry leaves it 0. False,
// with the reason in `problem` ("рисунок 2 лежит за концом файла") and no images,
// when the file is larger than kMaxFileBytes, its header is no icon's, it holds no
// image or more than kMaxImages, an entry reaches outside the file, the images
// take more bytes than the file has (entries that share them), or an image is
// larger than kMaxSide pixels, or no bitmap or PNG file that holds together.
bool ReadIcon(std::string_view file, std::vector<pe::IconImage>& images, std::string& problem);

}  // namespace designer::ico
