// The version of Halvik, as CMake's project declares it.
#pragma once

namespace halvik {

inline constexpr const char *Version = HALVIK_VERSION;

}  // namespace halvik
