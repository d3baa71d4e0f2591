// The sequence file, read through a large buffer straight from its descriptor.
//
// Reading follows the text-file rules of the sequence file: a line feed reads
// as a blank and ends its line, and a last line without a line feed reads as
// if it had one (the reader supplies the missing line feed). A carriage return
// is an ordinary character. The passes over the file ask for one character at
// a time where the grammar needs it, and take the nucleotides of a line in
// whole buffered pieces.
#pragma once
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace halvik {

inline constexpr std::size_t Seqbuffersize = std::size_t{1} << 18;

struct Seqfile {
  int Fd = -1;
  std::unique_ptr<char[]> Buffer;  // Seqbuffersize bytes, taken at the first open
  std::size_t Position = 0;        // next unread byte of Buffer
  std::size_t Filled = 0;          // bytes of Buffer holding file data
  bool Ended = false;              // the descriptor has delivered its last byte
  char Last = '\n';                // the last byte delivered so far
  std::string Name;                // named in the report of a failed read

  Seqfile() = default;
  Seqfile(const Seqfile &) = delete;
  Seqfile &operator=(const Seqfile &) = delete;
  ~Seqfile();
};

// Opens the named file for reading from its start, closing it first if it is
// open. A file that cannot be opened throws Ioerror.
void Openseqfile(Seqfile &file, const std::string &name);
void Closeseqfile(Seqfile &file);
// Reads the next stretch of the file into the buffer; false at the end of the
// file. A failed read throws Ioerror. Call only when the buffer is used up.
bool Refill(Seqfile &file);

inline bool Ateof(Seqfile &file) { return file.Position == file.Filled && !Refill(file); }

inline bool Ateoln(Seqfile &file) { return Ateof(file) || file.Buffer[file.Position] == '\n'; }

// The next character, a line feed read as a blank. At the end of the file it
// reads a blank and moves nowhere.
inline char Readchar(Seqfile &file) {
  if (Ateof(file)) return ' ';
  const char c = file.Buffer[file.Position++];
  return c == '\n' ? ' ' : c;
}

// The unread characters of the current line that lie in the buffer, up to its
// line feed or the end of the buffer; empty at the end of a line or the file.
// Nothing is consumed: Skip does that.
inline std::string_view Linepiece(Seqfile &file) {
  if (Ateof(file)) return {};
  const char *start = file.Buffer.get() + file.Position;
  const std::size_t left = file.Filled - file.Position;
  const void *linefeed = std::memchr(start, '\n', left);
  return {start, linefeed ? static_cast<std::size_t>(static_cast<const char *>(linefeed) - start) : left};
}

inline void Skip(Seqfile &file, std::size_t count) { file.Position += count; }

// A file that passed verification no longer reads as it did: a fatal data error.
[[noreturn]] void Raisechanged();

}  // namespace halvik
