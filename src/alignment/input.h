// The bytes of an alignment file, handed out a piece at a time so that a file
// of 100 MB is never held whole: the readers keep a piece and the line it is
// on, and pack the bases as they meet them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvik {

class Alignmentinput {
 public:
  static constexpr std::size_t Piecesize = std::size_t{1} << 18;

  // The file at `path`, read through a descriptor from any offset, so that a
  // reader may go back to the start. A file that cannot be read from an offset
  // (a pipe, a terminal) is read whole into memory at the first use.
  static Alignmentinput Fromfile(std::string path);
  // Bytes in memory, not copied: they must outlive the input. Smaller pieces
  // than the whole let the tests put every boundary between two pieces.
  static Alignmentinput Frombytes(std::string_view bytes, std::size_t piece = Piecesize);

  Alignmentinput(Alignmentinput &&other) noexcept;
  Alignmentinput &operator=(Alignmentinput &&other) noexcept;
  Alignmentinput(const Alignmentinput &) = delete;
  Alignmentinput &operator=(const Alignmentinput &) = delete;
  ~Alignmentinput();

  // The size in bytes. Throws std::runtime_error ("cannot be read: ...") when
  // the file cannot be opened or read.
  std::uint64_t Size();
  // Up to one piece of the bytes from `offset`, empty at the end: a view of
  // the memory, or of `buffer` for a file, valid until `buffer` is used again.
  // Each reader of the input brings its own buffer, so that two may read it at
  // once. Throws std::runtime_error when reading fails.
  std::string_view Piece(std::uint64_t offset, std::vector<char> &buffer);

 private:
  Alignmentinput() = default;
  void Open();
  void Readwhole();

  std::string Path;  // empty for bytes in memory
  int Descriptor = -1;
  bool Opened = false;
  std::uint64_t Bytesize = 0;
  std::string Owned;  // a file that cannot be read from an offset, read whole
  std::string_view Bytes;
  std::size_t Piecelength = Piecesize;
};

}  // namespace halvik
