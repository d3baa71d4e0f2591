#include "seqfile/nextseq.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "seqfile/codes.h"

namespace halvik {

namespace {

// Stores the codes of `piece` after position `count`, which it advances.
// Whole groups of eight are packed straight into their three bytes; the odd
// positions before and after go one by one,
// and so does a group holding a bad character, which then raises its error
// with the codes before it stored.
void Convert(std::string_view piece, Fullarray &codes, std::int32_t &count) {
  std::size_t i = 0;
  const std::size_t size = piece.size();
  while (i < size && count % 8 != 0) Setcode(codes, ++count, Chartonucleotide(piece[i++]));
  while (size - i >= 8) {
    std::uint32_t group = 0;
    std::uint8_t seen = 0;
    for (std::size_t t = 0; t < 8; ++t) {
      const std::uint8_t code = Codetable[static_cast<unsigned char>(piece[i + t])];
      seen |= code;
      group = group << 3 | (code & 7u);
    }
    if (seen & Notanucleotide) break;
    Setgroup(codes, count / 8, group);
    count += 8;
    i += 8;
  }
  while (i < size) Setcode(codes, ++count, Chartonucleotide(piece[i++]));
}

}  // namespace

std::int32_t Nextseq(Seqfile &file, Fullarray &codes, Headreporter &reporter) {
  std::string head;
  char c = Readchar(file);
  while (c != ' ') {
    head.push_back(c);
    c = Readchar(file);
  }
  while (c == ' ') {
    if (Ateof(file)) {
      reporter.Head(head);
      Raisechanged(file);
    }
    head.push_back(c);
    c = Readchar(file);
  }
  reporter.Head(head);
  std::int32_t count = 0;
  Convert(std::string_view(&c, 1), codes, count);
  for (std::string_view piece = Linepiece(file); !piece.empty(); piece = Linepiece(file)) {
    const auto room = static_cast<std::size_t>(Maxlength - count);
    if (piece.size() > room) {
      Convert(piece.substr(0, room), codes, count);
      Raisechanged(file);
    }
    Convert(piece, codes, count);
    Skip(file, piece.size());
  }
  Readchar(file);  // the line end, if there is one
  return count;
}

}  // namespace halvik
