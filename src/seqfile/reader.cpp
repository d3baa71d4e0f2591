#include "seqfile/reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "driver/failure.h"
#include "driver/globals.h"

namespace halvik {

namespace {

[[noreturn]] void Failed(const Seqfile &file, const char *doing) {
  throw Ioerror(std::string("cannot ") + doing + " the sequence file \"" + file.Name + "\": " + std::strerror(errno));
}

}  // namespace

Seqfile::~Seqfile() {
  if (Fd >= 0) ::close(Fd);
}

void Openseqfile(Seqfile &file, const std::string &name) {
  Closeseqfile(file);
  file.Name = name;
  if (!file.Buffer) file.Buffer = std::make_unique<char[]>(Seqbuffersize);
  file.Position = file.Filled = 0;
  file.Ended = false;
  file.Last = '\n';
  int fd;
  do fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) Failed(file, "open");
  file.Fd = fd;
}

void Closeseqfile(Seqfile &file) {
  if (file.Fd >= 0) ::close(file.Fd);
  file.Fd = -1;
  file.Position = file.Filled = 0;
  file.Ended = true;
}

bool Refill(Seqfile &file) {
  file.Position = file.Filled = 0;
  if (file.Ended) return false;
  ssize_t got;
  do got = ::read(file.Fd, file.Buffer.get(), Seqbuffersize);
  while (got < 0 && errno == EINTR);
  if (got < 0) Failed(file, "read");
  if (got == 0) {
    file.Ended = true;
    if (file.Last == '\n') return false;
    // The last line lacks its line feed: supply it, so that it reads like any other.
    file.Buffer[0] = file.Last = '\n';
    file.Filled = 1;
    return true;
  }
  file.Filled = static_cast<std::size_t>(got);
  file.Last = file.Buffer[file.Filled - 1];
  return true;
}

void Raisechanged() { Raisefatal("\nHalvik found that " + Filename + " changed while it was being read."); }

}  // namespace halvik
