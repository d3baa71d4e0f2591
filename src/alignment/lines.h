// The lines of an alignment as every format reads them: a carriage return at
// a line end dropped (and counted), a last line without a line feed taken as
// one, and for the formats of other programs a leading byte-order mark
// dropped. Line numbers stay those of the file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/input.h"

namespace halvik {

// A line lies in the current piece, or in Carry when it runs over the end of
// one: memory holds a piece and the longest line, never the file.
class Linereader {
 public:
  Linereader(Alignmentinput &input, bool dropmark) : Input(&input), Dropmark(dropmark) {}

  // The next line, without its line feed; the view lasts until the next call.
  bool Next(std::string_view &line);
  // Back to the start of the file: line numbers and counts start again.
  void Rewind();
  // The bytes of the whole text as the lines give it, each with a line feed,
  // by a pass of its own that leaves this one where it is.
  std::uint64_t Textsize() const;
  // The size of the file in bytes.
  std::uint64_t Filesize() const { return Input->Size(); }

  std::int64_t Number = 0;  // of the line Next returned last
  std::int64_t Carriagereturns = 0;

 private:
  // The next line as it stands in the file; `ended` when no line feed ends it.
  bool Gather(std::string_view &line, bool &ended);

  Alignmentinput *Input;
  bool Dropmark;
  std::vector<char> Buffer;
  std::string_view Current;  // the piece being read
  std::size_t At = 0;        // in Current
  std::uint64_t Offset = 0;  // of the end of Current in the file
  std::string Carry;
};

}  // namespace halvik
