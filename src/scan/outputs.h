// The files a scan writes, and the inputs they must not be.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace halvik {

// What is wrong when an output is an input or another output, or "". Files
// are the same by device and inode where they exist, else by resolved path;
// what is not a regular file (a terminal, a pipe, /dev/null) never clashes.
std::string Collision(const std::vector<std::string> &inputs, const std::vector<std::string> &outputs);

// A file written whole: into a temporary file beside it, made when this is,
// and renamed into place by Commit, so that a failed run leaves no half
// file and an earlier file stays as it was. An empty name is standard output;
// a name that is not a regular file is written directly. Failures raise
// Ioerror naming the file.
class Outputfile {
 public:
  explicit Outputfile(std::string name);
  ~Outputfile();
  Outputfile(const Outputfile &) = delete;
  Outputfile &operator=(const Outputfile &) = delete;

  void Write(std::string_view text);
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail(const std::string &what) const;
  std::string Name, Temporary;
  int Descriptor = -1;
  bool Committed = false;
  std::string Buffer;
};

}  // namespace halvik
