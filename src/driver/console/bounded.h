// Bounded strings: every text value of the program holds at most 255 characters.
#pragma once
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace halvik {

inline constexpr std::size_t Stringcapacity = 255;

// Assigns text to a bounded string, keeping its first 255 characters.
inline void Assignbounded(std::string &target, std::string_view text) {
  target.assign(text.substr(0, std::min(text.size(), Stringcapacity)));
}

}  // namespace halvik
