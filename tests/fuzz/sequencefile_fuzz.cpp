// libFuzzer entry: the input is a sequence file, analysed from end to end.
#include <cstddef>
#include <cstdint>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  return halvik::fuzzing::Fuzzsequencefile(data, size);
}
