#include "alignment/lines.h"

namespace halvik {

bool Linereader::Gather(std::string_view &line, bool &ended) {
  Carry.clear();
  for (bool started = false;;) {
    if (At == Current.size()) {
      Current = Input->Piece(Offset, Buffer);
      Offset += Current.size();
      At = 0;
      if (Current.empty()) {
        line = Carry;
        ended = true;
        return started;
      }
    }
    started = true;
    const std::size_t end = Current.find('\n', At);
    if (end == std::string_view::npos) {
      Carry.append(Current.substr(At));
      At = Current.size();
      continue;
    }
    line = Current.substr(At, end - At);
    if (!Carry.empty()) line = Carry.append(line);
    At = end + 1;
    return true;
  }
}

bool Linereader::Next(std::string_view &line) {
  bool ended = false;
  if (!Gather(line, ended)) return false;
  ++Number;
  if (Dropmark && Number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
  if (!line.empty() && line.back() == '\r') {
    line.remove_suffix(1);
    ++Carriagereturns;
  }
  // A last line that held only what was dropped is no line: the text ends
  // with the line feed before it.
  if (ended && line.empty()) {
    --Number;
    return false;
  }
  return true;
}

void Linereader::Rewind() {
  Current = {};
  At = 0;
  Offset = 0;
  Number = 0;
  Carriagereturns = 0;
}

std::uint64_t Linereader::Textsize() const {
  Linereader lines(*Input, Dropmark);
  std::uint64_t size = 0;
  for (std::string_view line; lines.Next(line);) size += line.size() + 1;
  return size;
}

}  // namespace halvik
