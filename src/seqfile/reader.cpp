#include "seqfile/reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "driver/console/failure.h"

namespace halvik {

namespace {

[[noreturn]] void Failed(const Seqfile &file, const char *doing) {
  throw Ioerror(std::string("cannot ") + doing + " the sequence file \"" + file.Name + "\": " + std::strerror(errno));
}

// The next stretch of the source into file.Data; its length, 0 at the end.
std::size_t Nextstretch(Seqfile &file) {
  if (file.Memory != nullptr) {
    if (file.Memoryread) return 0;
    file.Memoryread = true;
    file.Data = file.Memory->data();
    return file.Memory->size();
  }
  ssize_t got;
  do got = ::read(file.Fd, file.Buffer.get(), Seqbuffersize);
  while (got < 0 && errno == EINTR);
  if (got < 0) Failed(file, "read");
  file.Data = file.Buffer.get();
  return static_cast<std::size_t>(got);
}

}  // namespace

Seqfile::~Seqfile() {
  if (Fd >= 0) ::close(Fd);
}

void Openseqfile(Seqfile &file, const Sequencesource &source) {
  Closeseqfile(file);
  file.Name = source.Name;
  file.Position = file.Filled = 0;
  file.Ended = false;
  file.Last = '\n';
  file.Memory = source.Text;
  file.Memoryread = false;
  if (source.Text != nullptr) return;
  if (!file.Buffer) file.Buffer = std::make_unique<char[]>(Seqbuffersize);
  int fd;
  do fd = ::open(source.Name.c_str(), O_RDONLY | O_CLOEXEC);
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
  const std::size_t got = Nextstretch(file);
  if (got == 0) {
    file.Ended = true;
    if (file.Last == '\n') return false;
    // The last line lacks its line feed: supply it, so that it reads like any other.
    static constexpr char Linefeed = '\n';
    file.Data = &Linefeed;
    file.Last = '\n';
    file.Filled = 1;
    return true;
  }
  file.Filled = got;
  file.Last = file.Data[got - 1];
  return true;
}

void Raisechanged(const Seqfile &file) {
  Raisefatal("\nHalvik found that " + file.Name + " changed while it was being read.");
}

}  // namespace halvik
