#include "cli/tableout.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/table.h"
#include "stats/pvalues.h"
#include "stats/tested.h"

namespace halvik {

namespace {

class Tsvout : public Tableout {
 public:
  explicit Tsvout(const Options &options) : Tableout(options), Pairwise(options.Pairwise) {
    Writestr(Sink, Tsvheader(Pairwise));
  }
  void Add(const Fileresult &result) override {
    Writestr(Sink, Tsvrow(result, Pairwise, nullptr));
    const auto holm = Pairholm(result.Pairs);
    for (std::size_t i = 0; i < result.Pairs.size(); ++i)
      Writestr(Sink, Tsvrow(result.Pairs[i], Pairwise, holm[i].data()));
    Deliver(Sink);
  }

 private:
  bool Pairwise;
};

class Jsonout : public Tableout {
 public:
  explicit Jsonout(const Options &options) : Tableout(options), Pairwise(options.Pairwise) { Writestr(Sink, "["); }
  void Add(const Fileresult &result) override {
    // Labels and file names may hold any bytes; JSON text is UTF-8, so a
    // byte that is not becomes U+FFFD rather than ending the program.
    const std::string object =
        Jsonof(result, Pairwise).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    Writestr(Sink, (First ? "\n" : ",\n") + object);
    First = false;
    Deliver(Sink);
  }
  void Finish() override {
    Writestr(Sink, First ? "]\n" : "\n]\n");
    Tableout::Finish();
  }

 private:
  bool Pairwise, First = true;
};

// A number in about six characters: enough to read, not to recompute.
std::string Brief(double x) {
  if (std::isnan(x)) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, std::fabs(x) >= 1e-4 || x == 0.0 ? "%.4f" : "%.2e", x);
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// The P to report: the exact share where every division was visited, else
// p1 (setting `exact` in the first case).
double Topreport(const Fileresult &r, int id, bool &exact) {
  if (r.Shares.Divisions > 0) {
    exact = true;
    return r.Shares.Share[static_cast<std::size_t>(id)];
  }
  return Plusone(r.Counts[id], r.Lineups).Value();
}

// For a person at a terminal: the file, N, S, the localities and each tested
// statistic's value and the P to report, in aligned columns.
class Summaryout : public Tableout {
 public:
  explicit Summaryout(const Options &options) : Tableout(options) {
    for (const std::string &file : options.Files) Width = std::max(Width, std::min<std::size_t>(file.size(), 40));
    std::string header = Padded("file", Width) + "  " + Padded("N", 5) + Padded("S", 6) + Padded("localities", 14);
    for (const Testedstatistic &t : Testedstatistics) header += Padded(t.Name, 9) + Padded("P", 9);
    while (header.back() == ' ') header.pop_back();
    Writestr(Sink, header + "\n");
  }
  void Add(const Fileresult &result) override {
    Row(result, result.File);
    for (const Fileresult &pair : result.Pairs) Row(pair, "  " + pair.Pair);
    Deliver(Sink);
  }

 private:
  void Row(const Fileresult &r, const std::string &name) {
    std::string line = Padded(name, Width) + "  ";
    if (r.Sequences == 0) {
      Writestr(Sink, line + (r.Status == Filestatus::Failed ? "failed: " : "refused: ") + r.Message + "\n");
      return;
    }
    std::string sizes;
    for (const Rangevalues &l : r.Localities) sizes += (sizes.empty() ? "" : ",") + std::to_string(l.Size);
    line += Padded(std::to_string(r.Sequences), 5) + Padded(std::to_string(r.Sites), 6) + Padded(sizes, 14);
    bool exact = false;
    for (const Testedstatistic &t : Testedstatistics) {
      line += Padded(Brief(Observedvalue(r.Stats, t.Id)), 9);
      line += Padded(Tested(r, t.Id) ? Brief(Topreport(r, t.Id, exact)) : "-", 9);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (exact) line += "  (P exact over every division)";
    Writestr(Sink, line + (r.Status == Filestatus::Failed ? "  (failed: " + r.Message + ")" : "") + "\n");
  }

  std::size_t Width = 4;
};

}  // namespace

Tableout::Tableout(const Options &options) {
  if (options.Output.empty()) {
    Sink.Fd = STDOUT_FILENO;
    Sink.Lineflush = true;
  } else {
    Createfile(Sink, options.Output, "the table");
  }
  if (options.Output.empty()) Sink.What = "standard output";
}

void Tableout::Finish() {
  Deliver(Sink);
  if (Sink.Fd != STDOUT_FILENO) Closefile(Sink);
}

bool Summarised(const Options &options) {
  return options.Format == Tableformat::Auto && options.Output.empty() && ::isatty(STDOUT_FILENO);
}

std::unique_ptr<Tableout> Opentable(const Options &options) {
  if (options.Format == Tableformat::Json) return std::make_unique<Jsonout>(options);
  if (Summarised(options)) return std::make_unique<Summaryout>(options);
  return std::make_unique<Tsvout>(options);
}

}  // namespace halvik
