// The sequence file, read through a large buffer straight from its descriptor,
// or from a text held in memory under the file's name.
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

// Where a sample's text comes from: the file named Name, or, when Text is
// set, that text (a converted alignment) read as if it were the file. Either
// way the messages name Name.
struct Sequencesource {
  std::string Name;
  const std::string *Text = nullptr;
};

struct Seqfile {
  int Fd = -1;
  const std::string *Memory = nullptr;  // the text read instead of a descriptor
  bool Memoryread = false;              // the text has been handed out
  std::unique_ptr<char[]> Buffer;       // Seqbuffersize bytes, taken at the first open of a file
  const char *Data = nullptr;           // the stretch being read: Buffer, the text, or a supplied line feed
  std::size_t Position = 0;             // next unread byte of Data
  std::size_t Filled = 0;               // bytes of Data holding file data
  bool Ended = false;                   // the source has delivered its last byte
  char Last = '\n';                     // the last byte delivered so far
  std::string Name;                     // named in messages and in the report of a failed read

  Seqfile() = default;
  Seqfile(const Seqfile &) = delete;
  Seqfile &operator=(const Seqfile &) = delete;
  ~Seqfile();
};

// Opens the source for reading from its start, closing the file first if it
// is open. A file that cannot be opened throws Ioerror.
void Openseqfile(Seqfile &file, const Sequencesource &source);
void Closeseqfile(Seqfile &file);
// Reads the next stretch of the source; false at its end. A failed read
// throws Ioerror. Call only when the stretch in hand is used up.
bool Refill(Seqfile &file);

inline bool Ateof(Seqfile &file) { return file.Position == file.Filled && !Refill(file); }

inline bool Ateoln(Seqfile &file) { return Ateof(file) || file.Data[file.Position] == '\n'; }

// The next character, a line feed read as a blank. At the end of the file it
// reads a blank and moves nowhere.
inline char Readchar(Seqfile &file) {
  if (Ateof(file)) return ' ';
  const char c = file.Data[file.Position++];
  return c == '\n' ? ' ' : c;
}

// The unread characters of the current line that lie in the stretch in hand,
// up to its line feed or the end of the stretch; empty at the end of a line
// or the file. Nothing is consumed: Skip does that.
inline std::string_view Linepiece(Seqfile &file) {
  if (Ateof(file)) return {};
  const char *start = file.Data + file.Position;
  const std::size_t left = file.Filled - file.Position;
  const void *linefeed = std::memchr(start, '\n', left);
  return {start, linefeed ? static_cast<std::size_t>(static_cast<const char *>(linefeed) - start) : left};
}

inline void Skip(Seqfile &file, std::size_t count) { file.Position += count; }

// The file passed verification but no longer reads as it did: a fatal data error.
[[noreturn]] void Raisechanged(const Seqfile &file);

}  // namespace halvik
