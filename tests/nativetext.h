// A sample in Halvik's own format, "label bases\n" per record: how the tests
// hold a sample read from another format to the file it stands for.
#pragma once
#include <string>

#include "alignment/alignment.h"

namespace halvik {

inline std::string Nativetext(const Sample &sample) {
  const Packedsample &data = sample.Data;
  std::string text;
  for (std::int32_t r = 0; r < data.Count(); ++r) {
    text.append(data.Labels[static_cast<std::size_t>(r)]).push_back(' ');
    for (int p = 1; p <= data.Length; ++p)
      text.push_back("AGCTN-??"[Getcode(data.Codes[static_cast<std::size_t>(r)].data(), p)]);
    text.push_back('\n');
  }
  return text;
}

}  // namespace halvik
