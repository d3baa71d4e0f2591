#include "cli/wholefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "alignment/collect.h"

namespace halvik {

namespace {

// Enough of the start of a file to recognise its format.
constexpr std::size_t Startbytes = std::size_t{1} << 16;

Refusal Unreadable(const std::string &name, int error) {
  return Refusal{name + ": cannot be read: " + std::strerror(error)};
}

// Up to `most` bytes of the file, or why it cannot be read; more than `most`
// leaves one byte over.
std::variant<std::string, Refusal> Readupto(const std::string &name, std::size_t most) {
  int fd;
  do fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return Unreadable(name, errno);
  std::string content;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
    content.reserve(std::min(static_cast<std::size_t>(info.st_size), most + 1));
  char chunk[1 << 16];
  while (content.size() <= most) {
    const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, most + 1 - content.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      return Unreadable(name, error);
    }
    if (got == 0) break;
    content.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return content;
}

}  // namespace

std::variant<std::string, Refusal> Wholefile(const std::string &name, bool emptyok) {
  auto content = Readupto(name, Largestfile);
  if (auto *text = std::get_if<std::string>(&content)) {
    if (text->size() > Largestfile)
      return Refusal{name + ": larger than any alignment Halvik can analyse (1 GiB)"};
    if (text->empty() && !emptyok) return Refusal{name + ": the file is empty"};
  }
  return content;
}

std::variant<Alignmentformat, Refusal> Detectfile(const std::string &name) {
  auto start = Readupto(name, Startbytes);
  if (auto *refusal = std::get_if<Refusal>(&start)) return *refusal;
  const std::string &text = std::get<std::string>(start);
  if (text.empty()) return Refusal{name + ": the file is empty"};
  return Detect(text);
}

}  // namespace halvik
