#include "alignment/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "alignment/collect.h"

namespace halvik {

namespace {

[[noreturn]] void Unreadable(int error) {
  throw std::runtime_error(std::string("cannot be read: ") + std::strerror(error));
}

// Up to `size` bytes from `offset`, as many reads as it takes; fewer only at the end.
std::size_t Readat(int descriptor, char *into, std::size_t size, std::uint64_t offset) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t part = ::pread(descriptor, into + got, size - got, static_cast<off_t>(offset + got));
    if (part < 0 && errno == EINTR) continue;
    if (part < 0) Unreadable(errno);
    if (part == 0) break;
    got += static_cast<std::size_t>(part);
  }
  return got;
}

}  // namespace

Alignmentinput Alignmentinput::Fromfile(std::string path) {
  Alignmentinput input;
  input.Path = std::move(path);
  return input;
}

Alignmentinput Alignmentinput::Frombytes(std::string_view bytes, std::size_t piece) {
  Alignmentinput input;
  input.Opened = true;
  input.Bytes = bytes;
  input.Bytesize = bytes.size();
  input.Piecelength = piece == 0 ? 1 : piece;
  return input;
}

Alignmentinput::Alignmentinput(Alignmentinput &&other) noexcept { *this = std::move(other); }

Alignmentinput &Alignmentinput::operator=(Alignmentinput &&other) noexcept {
  if (this == &other) return *this;
  if (Descriptor >= 0) ::close(Descriptor);
  const bool owned = other.Bytes.data() == other.Owned.data() && !other.Owned.empty();
  Path = std::move(other.Path);
  Descriptor = std::exchange(other.Descriptor, -1);
  Opened = other.Opened;
  Bytesize = other.Bytesize;
  Owned = std::move(other.Owned);
  Bytes = owned ? std::string_view(Owned) : other.Bytes;
  Piecelength = other.Piecelength;
  return *this;
}

Alignmentinput::~Alignmentinput() {
  if (Descriptor >= 0) ::close(Descriptor);
}

void Alignmentinput::Open() {
  if (Opened) return;
  int descriptor;
  do descriptor = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
  while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) Unreadable(errno);
  Descriptor = descriptor;
  struct stat info {};
  if (::fstat(Descriptor, &info) != 0) Unreadable(errno);
  if (S_ISREG(info.st_mode)) {
    Bytesize = static_cast<std::uint64_t>(info.st_size);
  } else {
    Readwhole();
  }
  Opened = true;
}

// Reads to the end and keeps the bytes, refusing a file beyond the largest
// Halvik reads before it fills the memory.
void Alignmentinput::Readwhole() {
  std::vector<char> buffer(Piecesize);
  for (;;) {
    ssize_t got;
    do got = ::read(Descriptor, buffer.data(), buffer.size());
    while (got < 0 && errno == EINTR);
    if (got < 0) Unreadable(errno);
    if (got == 0) break;
    if (Owned.size() + static_cast<std::size_t>(got) > Largestfile)
      throw std::runtime_error("the file has more than the " + std::to_string(Largestfile) + " bytes Halvik reads");
    Owned.append(buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(std::exchange(Descriptor, -1));
  Bytes = Owned;
  Bytesize = Owned.size();
}

std::uint64_t Alignmentinput::Size() {
  Open();
  return Bytesize;
}

std::string_view Alignmentinput::Piece(std::uint64_t offset, std::vector<char> &buffer) {
  Open();
  if (Descriptor < 0) return offset >= Bytes.size() ? std::string_view() : Bytes.substr(offset, Piecelength);
  buffer.resize(Piecelength);
  return {buffer.data(), Readat(Descriptor, buffer.data(), buffer.size(), offset)};
}

}  // namespace halvik
