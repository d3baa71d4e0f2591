// Runs the passes over a sequence file in-process: the file and the results
// file lie in a temporary folder, the console collects in a string.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "driver/failure.h"
#include "driver/globals.h"
#include "driver/textout.h"

namespace seqfixture {

namespace fs = std::filesystem;

class Passrun {
 public:
  Passrun() {
    static int made = 0;
    folder = fs::temp_directory_path() /
             ("halvik-seq-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
    fs::create_directories(folder);
    halvik::Initialise(-1, -1);
    halvik::Console.memory = &console;
  }
  Passrun(const Passrun &) = delete;
  Passrun &operator=(const Passrun &) = delete;
  ~Passrun() {
    halvik::Closefile(halvik::Outfile);
    halvik::Console = halvik::Textsink{};
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // Writes the sequence file, names it in Filename and creates the results file.
  void Use(const std::string &content, const std::string &name = "seq.txt") {
    Write(content, name);
    halvik::Filename = Path(name);
    halvik::Createfile(halvik::Outfile, halvik::Filename + ".HVK");
  }
  // Replaces the sequence file's content (a file changed behind the program's back).
  void Write(const std::string &content, const std::string &name = "seq.txt") const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }
  std::string Path(const std::string &name) const { return (folder / name).string(); }

  // Runs a pass; false when it raised a fatal data error (Errormessage holds it).
  bool Run(const std::function<void()> &pass) {
    halvik::Errormessage.clear();
    bool completed = true;
    try {
      pass();
    } catch (const halvik::Fatalerror &) {
      completed = false;
    }
    halvik::Deliver(halvik::Console);
    return completed;
  }

  // Everything the console received so far; taking it empties it.
  std::string Takeconsole() {
    halvik::Deliver(halvik::Console);
    std::string text;
    text.swap(console);
    return text;
  }
  // The results file as it stands, pending text included.
  std::string Results() const {
    halvik::Deliver(halvik::Outfile);
    std::ifstream in(halvik::Filename + ".HVK", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path folder;
  std::string console;
};

}  // namespace seqfixture
