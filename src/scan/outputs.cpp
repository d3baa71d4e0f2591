#include "scan/outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "driver/console/failure.h"

namespace halvik {

namespace {

namespace fs = std::filesystem;

// What makes two names one file: device and inode, or the resolved path of
// a file yet to be made. Nothing for a file that is not regular.
struct Identity {
  dev_t Device = 0;
  ino_t Inode = 0;
  std::string Path;
  bool operator==(const Identity &other) const {
    return Path.empty() ? Device == other.Device && Inode == other.Inode : Path == other.Path;
  }
};

std::optional<Identity> Identify(const std::string &name) {
  struct stat status;
  if (::stat(name.c_str(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    return Identity{status.st_dev, status.st_ino, ""};
  }
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(name, error), error);
  return Identity{0, 0, error ? name : resolved.string()};
}

}  // namespace

std::string Collision(const std::vector<std::string> &inputs, const std::vector<std::string> &outputs) {
  std::vector<std::optional<Identity>> seen;
  for (const std::string &input : inputs) seen.push_back(Identify(input));
  for (const std::string &output : outputs) {
    const std::optional<Identity> identity = Identify(output);
    for (std::size_t i = 0; identity && i < seen.size(); ++i) {
      if (!seen[i] || !(*seen[i] == *identity)) continue;
      const bool input = i < inputs.size();
      return output + ": " + (input ? "is also an input" : "is given as two outputs") + "; nothing was written";
    }
    seen.push_back(identity);
  }
  return "";
}

Outputfile::Outputfile(std::string name) : Name(std::move(name)) {
  if (Name.empty()) {
    Descriptor = STDOUT_FILENO;
    return;
  }
  struct stat status;
  if (::stat(Name.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    Descriptor = ::open(Name.c_str(), O_WRONLY | O_CLOEXEC);
    if (Descriptor < 0) Fail("cannot be opened");
    return;
  }
  for (int attempt = 0; Descriptor < 0; ++attempt) {
    Temporary = Name + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    Descriptor = ::open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (Descriptor < 0 && (errno != EEXIST || attempt > 100)) {
      Temporary.clear();
      Fail("cannot be created");
    }
  }
}

Outputfile::~Outputfile() {
  if (Descriptor > STDERR_FILENO) ::close(Descriptor);
  if (!Committed && !Temporary.empty()) ::unlink(Temporary.c_str());
}

void Outputfile::Fail(const std::string &what) const {
  throw Ioerror((Name.empty() ? std::string("standard output") : Name) + ": " + what + ": " + std::strerror(errno));
}

void Outputfile::Flush() {
  for (std::size_t done = 0; done < Buffer.size();) {
    const ssize_t wrote = ::write(Descriptor, Buffer.data() + done, Buffer.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) Fail("cannot be written");
    done += static_cast<std::size_t>(wrote);
  }
  Buffer.clear();
}

void Outputfile::Write(std::string_view text) {
  Buffer += text;
  if (Buffer.size() >= (1u << 20)) Flush();
}

void Outputfile::Commit() {
  Flush();
  if (Temporary.empty()) return;
  if (::close(Descriptor) != 0) {
    Descriptor = -1;
    Fail("cannot be written");
  }
  Descriptor = -1;
  if (::rename(Temporary.c_str(), Name.c_str()) != 0) Fail("cannot be put in place");
  Committed = true;
}

}  // namespace halvik
