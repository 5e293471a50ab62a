#pragma once
// Files compiled into the program (the images under resource/), found by file name.
#include <span>
#include <string_view>

namespace qv {
// The bytes of the embedded file of that name; empty when there is none.
std::span<const unsigned char> EmbeddedFile(std::string_view name);
}  // namespace qv
