#include "driver/console/keyboard.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "driver/console/failure.h"
#include "driver/console/sinks.h"

namespace halvik {

namespace {

// Makes at least one unread byte available; false when the input has ended.
bool Available() {
  Keyboardsource &k = Keyboard;
  if (k.Position < k.Buffer.size()) return true;
  k.Buffer.clear();
  k.Position = 0;
  if (k.Ended || k.Fd < 0) return false;
  char chunk[1 << 14];
  for (;;) {
    ssize_t n = ::read(k.Fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Ioerror(std::string("cannot read the keyboard input: ") + std::strerror(errno));
    if (n == 0) {
      k.Ended = true;
      return false;
    }
    k.Buffer.assign(chunk, static_cast<std::size_t>(n));
    return true;
  }
}

// Called by every read before it waits: the prompt must be visible, and an
// input that has already ended ends the program.
void Awaitinput() {
  Deliver(Console);
  if (!Available()) throw Ioerror("the keyboard input ended while an answer was awaited");
}

// Consumes the rest of the current line and its end; keeps at most
// `capacity` of its characters in `kept` when that is given.
void Consumeline(std::string *kept, std::size_t capacity) {
  Keyboardsource &k = Keyboard;
  while (Available()) {
    const char *start = k.Buffer.data() + k.Position;
    std::size_t left = k.Buffer.size() - k.Position;
    const void *end = std::memchr(start, '\n', left);
    std::size_t take = end ? static_cast<std::size_t>(static_cast<const char *>(end) - start) : left;
    if (kept && kept->size() < capacity) kept->append(start, std::min(take, capacity - kept->size()));
    k.Position += take;
    if (end) {
      ++k.Position;
      return;
    }
  }
}

}  // namespace

std::string Readline(std::size_t capacity) {
  Awaitinput();
  std::string line;
  Consumeline(&line, capacity);
  return line;
}

char Readfirstchar() {
  std::string line = Readline(1);
  return line.empty() ? ' ' : line[0];
}

void Skipline() {
  Awaitinput();
  Consumeline(nullptr, 0);
}

char Readcharkeep() {
  Awaitinput();
  char c = Keyboard.Buffer[Keyboard.Position++];
  return c == '\n' ? ' ' : c;
}

}  // namespace halvik
