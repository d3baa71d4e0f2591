// --merge: the rows of several scans' tables in one table, their q-values
// formed again over every window.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>

#include <nlohmann/json.hpp>

#include "driver/console/failure.h"
#include "scan/report.h"
#include "scan/run.h"
#include "scan/table.h"

namespace halvik {

namespace {

using Json = nlohmann::ordered_json;

// The text columns; every other is a number, nan written as "nan" or null.
bool Textcolumn(const std::string &name) { return name == "chrom" || name == "version" || name == "notes"; }

// A TSV row as the JSON object the same row would be.
Json Rowobject(const std::vector<std::string> &columns, const std::string &line, const std::string &where) {
  Json row = Json::object();
  std::size_t at = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const std::size_t tab = c + 1 < columns.size() ? line.find('\t', at) : line.size();
    if (tab == std::string::npos || (c + 1 == columns.size() && line.find('\t', at) != std::string::npos))
      Raisefatal(where + ": not " + std::to_string(columns.size()) + " columns");
    const std::string cell = line.substr(at, tab - at);
    at = tab + 1;
    if (Textcolumn(columns[c])) {
      row[columns[c]] = cell;
      continue;
    }
    char *end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    if (cell.empty() || *end != '\0') Raisefatal(where + ": " + columns[c] + " '" + cell + "' is not a number");
    row[columns[c]] = std::isnan(value) ? Json(nullptr) : Json(value);
  }
  return row;
}

double Real(const Json &row, const std::string &name, const std::string &where) {
  if (!row.contains(name)) Raisefatal(where + ": no " + name);
  const Json &value = row[name];
  if (value.is_null()) return Nan;
  if (!value.is_number()) Raisefatal(where + ": " + name + " is not a number");
  return value.get<double>();
}

std::int64_t Whole(const Json &row, const std::string &name, std::int64_t lowest, std::int64_t highest,
                   const std::string &where) {
  const double value = Real(row, name, where);
  if (!(value >= static_cast<double>(lowest) && value <= static_cast<double>(highest)) || value != std::floor(value))
    Raisefatal(where + ": " + name + " is not a whole number from " + std::to_string(lowest) + " to " +
               std::to_string(highest));
  return static_cast<std::int64_t>(value);
}

std::string Textof(const Json &row, const std::string &name, const std::string &where) {
  if (!row.contains(name) || !row[name].is_string()) Raisefatal(where + ": no text " + name);
  return row[name].get<std::string>();
}

// A row back into the values it was printed from, and what its run shares.
Windowresult Rowof(const Json &row, Runinfo &run, const std::string &where) {
  run.Lineups = static_cast<std::int32_t>(Whole(row, "lineups", 1, 29999, where));
  run.Seed = static_cast<std::uint32_t>(Whole(row, "seed", 0, 4294967295, where));
  run.Version = Textof(row, "version", where);
  run.Stopafter =
      row.contains("stop_after") ? static_cast<std::int32_t>(Whole(row, "stop_after", 1, run.Lineups, where)) : 0;
  Windowresult r;
  r.Chrom = Textof(row, "chrom", where);
  r.Start = Whole(row, "start", 1, INT64_MAX / 4, where);
  r.End = Whole(row, "end", r.Start, INT64_MAX / 4, where);
  r.Records = Whole(row, "records", 0, INT64_MAX / 4, where);
  r.Variants = Whole(row, "variants", 0, r.Records, where);
  r.Samples = static_cast<std::int32_t>(Whole(row, "samples", 0, 1000, where));
  r.Haplotypes = static_cast<std::int32_t>(Whole(row, "haplotypes", 0, 2000, where));
  r.Notes = Textof(row, "notes", where);
  for (int t = 0; t < Testcount; ++t) {
    const std::string stem = Teststems[t];
    Testresult &test = r.Tests[static_cast<std::size_t>(t)];
    test.Value = Real(row, stem, where);
    const bool tested = !std::isnan(Real(row, stem + "_p1", where));
    test.Drawn = !tested         ? 0
                 : run.Stopafter ? static_cast<std::int32_t>(Whole(row, stem + "_lineups", 1, run.Lineups, where))
                                 : run.Lineups;
    test.Count = static_cast<std::int32_t>(Whole(row, stem + "_count", 0, test.Drawn, where));
  }
  for (int m = 0; m < Meancount; ++m) r.Means[static_cast<std::size_t>(m)] = Real(row, Meanstems[m], where);
  return r;
}

// Every row of a table, TSV or JSON, handed to `take` with its place.
void Eachrow(const std::string &name, const std::function<void(const Json &, const std::string &)> &take) {
  std::ifstream in(name, std::ios::binary);
  if (!in) throw Scanstop{Usagestatus, "--merge: " + name + ": cannot be read"};
  if ((in >> std::ws).peek() == '[') {
    Json rows = Json::parse(in, nullptr, false);
    if (rows.is_discarded() || !rows.is_array()) Raisefatal(name + ": not a JSON table of halvik scan");
    for (std::size_t i = 0; i < rows.size(); ++i) take(rows[i], name + ": row " + std::to_string(i + 1));
    return;
  }
  std::string line;
  std::getline(in, line);
  const bool stopafter = line.find("\tstop_after\t") != std::string::npos;
  if (line + "\n" != Scanheader(stopafter)) Raisefatal(name + ": line 1: not the header of a table of halvik scan");
  const std::vector<std::string> columns = Scancolumns(stopafter);
  for (std::int64_t number = 2; std::getline(in, line); ++number)
    take(Rowobject(columns, line, name + ": line " + std::to_string(number)),
         name + ": line " + std::to_string(number));
  if (in.bad()) throw Ioerror(name + ": cannot be read");
}

// The stretch of each chromosome a table's windows cover.
using Cover = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;

void Checkapart(const std::vector<std::pair<std::string, Cover>> &tables) {
  for (std::size_t a = 0; a < tables.size(); ++a)
    for (std::size_t b = a + 1; b < tables.size(); ++b)
      for (const auto &[chrom, span] : tables[a].second) {
        const auto other = tables[b].second.find(chrom);
        if (other != tables[b].second.end() && span.first <= other->second.second && other->second.first <= span.second)
          Raisefatal(tables[b].first + ": its windows on " + chrom + " overlap those of " + tables[a].first);
      }
}

}  // namespace

int Mergetables(const Scanoptions &o) {
  std::vector<std::string> outputs;
  if (!o.Output.empty()) outputs.push_back(o.Output);
  if (!o.Plot.empty()) outputs.push_back(o.Plot);
  if (const std::string clash = Collision(o.Inputs, outputs); !clash.empty()) throw Scanstop{Usagestatus, clash};
  Destinations to(o);
  Spool spool;
  Qvalues qvalues;
  std::optional<Runinfo> shared;
  std::vector<std::pair<std::string, Cover>> covers;
  for (const std::string &table : o.Inputs) {
    Cover cover;
    Eachrow(table, [&](const Json &object, const std::string &where) {
      Runinfo run;
      const Windowresult row = Rowof(object, run, where);
      if (!shared) shared = run;
      if (run.Lineups != shared->Lineups || run.Seed != shared->Seed || run.Version != shared->Version ||
          run.Stopafter != shared->Stopafter)
        Raisefatal(where + ": lineups, seed, --stop-after or version differ from the first row's: runs apart");
      auto [span, fresh] = cover.try_emplace(row.Chrom, row.Start, row.End);
      span->second = {std::min(span->second.first, row.Start), std::max(span->second.second, row.End)};
      qvalues.Add(row, run);
      spool.Write(row);
    });
    covers.emplace_back(table, std::move(cover));
  }
  Checkapart(covers);
  if (!shared) Raisefatal(o.Inputs.front() + ": no rows to join");
  Report(spool, qvalues, *shared, to, "merged tables");
  return 0;
}

}  // namespace halvik
