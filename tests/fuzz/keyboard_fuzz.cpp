// libFuzzer entry: the input is everything typed at the keyboard.
#include <cstddef>
#include <cstdint>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return halvik::fuzzing::Fuzzkeyboard(data, size);
}
