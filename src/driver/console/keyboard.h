// The keyboard (standard input) and the four ways an answer is read.
#pragma once
#include <cstddef>
#include <string>

namespace halvik {

// Bytes of standard input not yet consumed. Every read first delivers the
// console, so a prompt is visible before the program waits. When the input
// has ended while a read waits, the read throws Ioerror.
struct Keyboardsource {
  int Fd = 0;  // -1: no descriptor, only `Buffer` (tests)
  std::string Buffer;
  std::size_t Position = 0;
  bool Ended = false;
};

// Form 1: the current line, at most `capacity` characters of it, nothing
// trimmed; the rest of the line and its end are discarded.
std::string Readline(std::size_t capacity);
// Form 2: the first character of the line (a blank for an empty line); the
// rest of the line is discarded.
char Readfirstchar();
// Form 3: discards everything up to and including the next line end.
void Skipline();
// Form 4: the next character, leaving the rest of the line unread; at a line
// end, a blank, and the line end is consumed.
char Readcharkeep();

}  // namespace halvik
