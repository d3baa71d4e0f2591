// Runs the built program as a separate process for the failure-path tests:
// with its keyboard from a file, or through pipes for a dialogue, and with its
// standard output bound to whatever the test breaks.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace failure {

namespace fs = std::filesystem;

inline std::string Slurp(const fs::path &name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Spit(const fs::path &name, std::string_view text) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// A fresh folder for one test, removed with everything in it afterwards.
class Folder {
 public:
  explicit Folder(const std::string &name)
      : path_(fs::temp_directory_path() / ("halvik-failure-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_ / "run");
  }
  ~Folder() {
    std::error_code ignored;
    fs::permissions(Run(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder &) = delete;
  Folder &operator=(const Folder &) = delete;
  // The program's working folder; the files the harness keeps lie beside it.
  fs::path Run() const { return path_ / "run"; }
  fs::path Path() const { return path_; }

 private:
  fs::path path_;
};

enum class Console { Captured, Devnull, Devfull, Closed, Brokenpipe };

struct Options {
  std::string keys;                  // the keyboard input
  bool closedkeyboard = false;       // standard input closed instead
  Console console = Console::Captured;
  long long filesizelimit = -1;      // RLIMIT_FSIZE in bytes, when not negative
  const char *seed = nullptr;        // fixes the random source (the seeded program)
};

struct Outcome {
  bool exited = false;  // false: ended by a signal
  int status = -1;      // exit status, or the signal
  std::string out, err;
};

// Sets up the child's descriptors and runs the program; never returns.
[[noreturn]] inline void Child(const Folder &folder, const Options &options) {
  // The program must protect itself: start from the default dispositions.
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGXFSZ, SIG_DFL);
  if (::chdir(folder.Run().c_str()) != 0) ::_exit(120);
  if (options.closedkeyboard)
    ::close(0);
  else {
    int in = ::open((folder.Path() / "stdin").c_str(), O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0) ::_exit(121);
    ::close(in);
  }
  int err = ::open((folder.Path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err < 0 || ::dup2(err, 2) < 0) ::_exit(122);
  ::close(err);
  switch (options.console) {
    case Console::Captured: {
      int out = ::open((folder.Path() / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || ::dup2(out, 1) < 0) ::_exit(123);
      ::close(out);
      break;
    }
    case Console::Devnull:
    case Console::Devfull: {
      int out = ::open(options.console == Console::Devnull ? "/dev/null" : "/dev/full", O_WRONLY);
      if (out < 0 || ::dup2(out, 1) < 0) ::_exit(123);
      ::close(out);
      break;
    }
    case Console::Closed:
      ::close(1);
      break;
    case Console::Brokenpipe: {
      int ends[2];
      if (::pipe(ends) != 0 || ::dup2(ends[1], 1) < 0) ::_exit(123);
      ::close(ends[0]);
      ::close(ends[1]);
      break;
    }
  }
  if (options.filesizelimit >= 0) {
    const rlimit limit{static_cast<rlim_t>(options.filesizelimit), static_cast<rlim_t>(options.filesizelimit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(124);
  }
  if (options.seed != nullptr)
    ::execl(HALVIK_SEEDED_BINARY, HALVIK_SEEDED_BINARY, options.seed, static_cast<char *>(nullptr));
  else
    ::execl(HALVIK_BINARY, HALVIK_BINARY, static_cast<char *>(nullptr));
  ::_exit(125);
}

inline Outcome Decode(int raw) {
  Outcome outcome;
  outcome.exited = WIFEXITED(raw);
  outcome.status = outcome.exited ? WEXITSTATUS(raw) : WTERMSIG(raw);
  return outcome;
}

// Runs the program to its end with the keyboard input from a file.
inline Outcome Runprogram(const Folder &folder, const Options &options) {
  Spit(folder.Path() / "stdin", options.keys);
  Spit(folder.Path() / "stdout", "");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) Child(folder, options);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  Outcome outcome = Decode(raw);
  outcome.out = Slurp(folder.Path() / "stdout");
  outcome.err = Slurp(folder.Path() / "stderr");
  return outcome;
}

// The program in a dialogue: the test answers as a user would, after seeing
// each question, and may change files or close the console in between.
class Dialogue {
 public:
  explicit Dialogue(const Folder &folder) {
    // Typing to a program that has ended must fail here, not kill the tests.
    ::signal(SIGPIPE, SIG_IGN);
    int keys[2], console[2];
    if (::pipe(keys) != 0 || ::pipe(console) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      ::signal(SIGPIPE, SIG_DFL);
      if (::chdir(folder.Run().c_str()) != 0) ::_exit(120);
      ::dup2(keys[0], 0);
      ::dup2(console[1], 1);
      int err = ::open((folder.Path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      for (int fd : {keys[0], keys[1], console[0], console[1], err}) ::close(fd);
      ::execl(HALVIK_BINARY, HALVIK_BINARY, static_cast<char *>(nullptr));
      ::_exit(125);
    }
    ::close(keys[0]);
    ::close(console[1]);
    keys_ = keys[1];
    console_ = console[0];
    errpath_ = folder.Path() / "stderr";
  }
  ~Dialogue() {
    Closekeys();
    Closeconsole();
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  Dialogue(const Dialogue &) = delete;
  Dialogue &operator=(const Dialogue &) = delete;

  // Reads the console until `text` has appeared (false after ten seconds
  // without it, or when the console ends first). Returns everything read
  // since the last call in `seen`.
  bool Expect(std::string_view text, std::string *seen = nullptr) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      const auto at = buffer_.find(text);
      if (at != std::string::npos) {
        if (seen) *seen = buffer_.substr(0, at + text.size());
        buffer_.erase(0, at + text.size());
        return true;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd ready{console_, POLLIN, 0};
      if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(console_, chunk, sizeof chunk);
      if (n <= 0) return false;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  void Send(std::string_view text) {
    if (::write(keys_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
      throw std::runtime_error("cannot type to the program");
  }
  void Closekeys() {
    if (keys_ >= 0) ::close(keys_);
    keys_ = -1;
  }
  void Closeconsole() {
    if (console_ >= 0) ::close(console_);
    console_ = -1;
  }
  // Waits for the program's end.
  Outcome Wait() {
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
    pid_ = -1;
    Outcome outcome = Decode(raw);
    outcome.err = Slurp(errpath_);
    return outcome;
  }

 private:
  pid_t pid_ = -1;
  int keys_ = -1, console_ = -1;
  std::string buffer_;
  fs::path errpath_;
};

}  // namespace failure
