#include "cli/outputs.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "cli/lineupfiles.h"

namespace halvik {

namespace {

namespace fs = std::filesystem;

// A file as the collision check knows it: by device and inode where it
// exists, else by its resolved path; nothing for a file exempt from the check.
std::optional<std::string> Identity(const std::string &name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return std::nullopt;
    return "inode " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
  }
  std::error_code ignored;
  return "path " + fs::weakly_canonical(fs::absolute(name, ignored), ignored).string();
}

std::string Basename(const std::string &file) { return fs::path(file).filename().string(); }

}  // namespace

std::variant<Runoutputs, Usageerror> Planoutputs(const Options &options) {
  Runoutputs outputs;
  std::map<std::string, std::string> seen, bases;  // identity or base name: the FILE that has it
  const std::size_t count = options.Files.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::string &file = options.Files[i];
    Fileoutputs &out = outputs.Files.emplace_back();
    if (!options.Null.empty()) out.Null = Numberedname(options.Null, i + 1, count);
    if (!options.Plot.empty()) out.Plot = Numberedname(options.Plot, i + 1, count);
    if (options.Noresults) continue;
    const std::optional<std::string> identity = Isstdin(file) ? std::optional<std::string>("-") : Identity(file);
    if (identity && !seen.emplace(*identity, file).second)
      return Usageerror{"the FILE " + file + " is given twice (" + seen[*identity] +
                        "), and both would write its results file: give --no-results, or give it once"};
    if (options.Resultsdir.empty()) {
      if (Isstdin(file)) return Usageerror{"- reads standard input: its results file needs --results-dir or --no-results"};
      out.Results = file + ".HVK";
      continue;
    }
    const std::string base = Isstdin(file) ? "stdin" : Basename(file);
    if (!bases.emplace(base, file).second)
      return Usageerror{"--results-dir " + options.Resultsdir + ": " + bases[base] + " and " + file +
                        " would both write " + base + ".HVK there"};
    out.Results = (fs::path(options.Resultsdir) / (base + ".HVK")).string();
  }
  return outputs;
}

std::optional<Usageerror> Makeresultsdir(const Options &options) {
  if (options.Resultsdir.empty()) return std::nullopt;
  std::error_code error;
  fs::create_directories(options.Resultsdir, error);
  if (error || !fs::is_directory(options.Resultsdir))
    return Usageerror{"--results-dir " + options.Resultsdir + ": no folder can be made there" +
                      (error ? ": " + error.message() : "")};
  return std::nullopt;
}

std::optional<Usageerror> Findcollision(const Options &options, const Runoutputs &outputs) {
  // Every file by identity: what it is, and whether the run writes it.
  std::map<std::string, std::string> inputs, written;
  const auto input = [&](const std::string &name, const std::string &what) {
    if (const auto identity = Identity(name)) inputs.emplace(*identity, what);
  };
  for (const std::string &file : options.Files)
    if (!Isstdin(file)) input(file, "the FILE " + file);
  if (!options.Groups.empty()) input(options.Groups, "the map " + options.Groups);
  const auto output = [&](const std::string &name, const std::string &what) -> std::optional<Usageerror> {
    if (name.empty()) return std::nullopt;
    const auto identity = Identity(name);
    if (!identity) return std::nullopt;
    for (const auto *files : {&inputs, &written})
      if (const auto other = files->find(*identity); other != files->end())
        return Usageerror{what + " and " + other->second + " are the same file: nothing was written"};
    written.emplace(*identity, what);
    return std::nullopt;
  };
  if (auto clash = output(options.Output, "the table (-o " + options.Output + ")")) return clash;
  for (std::size_t i = 0; i < outputs.Files.size(); ++i) {
    const Fileoutputs &out = outputs.Files[i];
    const std::string &file = options.Files[i];
    if (auto clash = output(out.Results, "the results file of " + file + " (" + out.Results + ")")) return clash;
    if (auto clash = output(out.Null, "the null table of " + file + " (" + out.Null + ")")) return clash;
    if (auto clash = output(out.Plot, "the picture of " + file + " (" + out.Plot + ")")) return clash;
  }
  return std::nullopt;
}

}  // namespace halvik
