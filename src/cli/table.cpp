#include "cli/table.h"

#include <array>
#include <cmath>

#include "cli/numbers.h"
#include "cli/version.h"
#include "stats/pvalues.h"
#include "stats/tested.h"

namespace halvik {

namespace {

using Json = nlohmann::ordered_json;

// Whether the observed value of statistic `id` could be tested: a NaN
// cannot be reached by any lineup.
bool Testable(const Fileresult &r, int id) { return !std::isnan(Observedvalue(r.Stats, id)); }

// The figures of an analysis by column, in the table's order after message.
std::vector<std::pair<std::string, Json>> Figures(const Fileresult &r) {
  std::string sizes;
  for (const Rangevalues &l : r.Localities) sizes += (sizes.empty() ? "" : ",") + std::to_string(l.Size);
  const Subdivision &s = r.Stats;
  std::vector<std::pair<std::string, Json>> f = {{"sequences", r.Sequences},
                                                 {"length", r.Length},
                                                 {"sites", r.Sites},
                                                 {"pn", r.Pn},
                                                 {"theta", r.Theta},
                                                 {"localities", r.Localities.size()},
                                                 {"sizes", sizes},
                                                 {"ks", s.Ks},
                                                 {"kt", s.Kt},
                                                 {"kst", s.Kst},
                                                 {"fs", s.Fs},
                                                 {"ft", s.Ft},
                                                 {"fst", s.Fst},
                                                 {"kstar_s", s.Ksstar},
                                                 {"kstar_t", s.Ktstar},
                                                 {"kstar_st", s.Kststar},
                                                 {"fstar_s", s.Fsstar},
                                                 {"fstar_b", s.Fbstar},
                                                 {"fstar_sb", s.Fsbstar},
                                                 {"lineups", r.Lineups},
                                                 {"seed", r.Seed}};
  for (const Testedstatistic &t : Testedstatistics) {
    const bool tested = Testable(r, t.Id);
    const Pvalues p = Pvaluesof(r.Counts[t.Id], r.Lineups, tested);
    std::string stem = t.Stem;
    stem += '_';
    f.insert(f.end(), {{stem + "count", tested ? r.Counts[t.Id] : 0},
                       {stem + "p", p.P},
                       {stem + "p1", p.P1},
                       {stem + "se", p.Se}});
  }
  return f;
}

std::string Groupsof(const Fileresult &r) {
  std::string names;
  for (const Rangevalues &l : r.Localities)
    if (!l.Name.empty()) names += (names.empty() ? "" : ",") + l.Name;
  return names;
}

// A text field: tabs and line ends would break the row.
std::string Field(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Cell(const Json &value) {
  if (value.is_string()) return Field(value.get<std::string>());
  if (value.is_number_float()) return Shortest(value.get<double>());
  return value.dump();
}

// JSON has no NaN or infinity: such a number is null.
Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

Json Finite(const Json &value) { return value.is_number_float() ? Number(value.get<double>()) : value; }

Json Rangejson(const Rangevalues &r) {
  Json j;
  if (!r.Name.empty()) j["name"] = r.Name;
  j["first"] = r.First;
  j["last"] = r.Last;
  j["size"] = r.Size;
  j["pi"] = Number(r.Pi);
  j["k"] = Number(r.K);
  j["kstar"] = Number(r.Kstar);
  return j;
}

std::string Holmcolumn(const Testedstatistic &t) { return std::string(t.Stem) + "_p1_holm"; }

Json Rowjson(const Fileresult &r, bool pairwise, const double *holm) {
  Json j;
  j["file"] = r.File;
  if (pairwise) j["pair"] = r.Pair;
  j["status"] = r.Ok ? "ok" : "refused";
  j["message"] = r.Message;
  if (r.Ok)
    for (const auto &[name, value] : Figures(r)) j[name] = Finite(value);
  j["version"] = Version;
  if (pairwise && holm != nullptr)
    for (const Testedstatistic &t : Testedstatistics) j[Holmcolumn(t)] = Number(holm[t.Id]);
  j["groups"] = Groupsof(r);
  j["notes"] = r.Notes;
  if (r.Ok) {
    j["locality_values"] = Json::array();
    for (const Rangevalues &l : r.Localities) j["locality_values"].push_back(Rangejson(l));
    j["sample_values"] = Rangejson(r.Whole);
  }
  return j;
}

// Fields joined by tabs, ending the line.
std::string Joined(const std::vector<std::string> &fields) {
  std::string line;
  for (const std::string &field : fields) {
    if (!line.empty() || &field != &fields.front()) line += '\t';
    line += field;
  }
  line += '\n';
  return line;
}

}  // namespace

std::string Tsvheader(bool pairwise) {
  std::vector<std::string> names{"file"};
  if (pairwise) names.emplace_back("pair");
  names.insert(names.end(), {"status", "message"});
  for (const auto &[name, value] : Figures(Fileresult{})) names.push_back(name);
  names.emplace_back("version");
  if (pairwise)
    for (const Testedstatistic &t : Testedstatistics) names.push_back(Holmcolumn(t));
  names.insert(names.end(), {"groups", "notes"});
  return Joined(names);
}

std::string Tsvrow(const Fileresult &row, bool pairwise, const double *holm) {
  std::vector<std::string> fields{Field(row.File)};
  if (pairwise) fields.push_back(Field(row.Pair));
  fields.insert(fields.end(), {row.Ok ? "ok" : "refused", Field(row.Message)});
  for (const auto &[name, value] : Figures(row)) fields.push_back(row.Ok ? Cell(value) : "");
  fields.emplace_back(Version);
  if (pairwise)
    for (const Testedstatistic &t : Testedstatistics)
      fields.push_back(holm != nullptr && row.Ok ? Shortest(holm[t.Id]) : "");
  fields.insert(fields.end(), {Field(Groupsof(row)), Field(row.Notes)});
  return Joined(fields);
}

std::vector<Pairadjusted> Pairholm(const std::vector<Fileresult> &pairs) {
  std::vector<Pairadjusted> holm(pairs.size());
  for (const Testedstatistic &t : Testedstatistics) {
    std::vector<Pratio> p;
    for (const Fileresult &r : pairs) p.push_back(r.Ok && Testable(r, t.Id) ? Plusone(r.Counts[t.Id], r.Lineups) : Pratio{});
    const std::vector<double> adjusted = Holm(p);
    for (std::size_t i = 0; i < pairs.size(); ++i) holm[i][t.Id] = adjusted[i];
  }
  return holm;
}

Json Jsonof(const Fileresult &result, bool pairwise) {
  Json j = Rowjson(result, pairwise, nullptr);
  if (!pairwise || result.Pairs.empty()) return j;
  const std::vector<Pairadjusted> holm = Pairholm(result.Pairs);
  Json pairs = Json::array();
  for (std::size_t i = 0; i < result.Pairs.size(); ++i) pairs.push_back(Rowjson(result.Pairs[i], true, holm[i].data()));
  // Each statistic as a matrix over the localities, the pair i-j at [i][j]
  // and [j][i]; nothing on the diagonal.
  const std::size_t count = result.Localities.size();
  Json matrices;
  for (const Testedstatistic &t : Testedstatistics)
    for (const std::string &which : {std::string(t.Stem), std::string(t.Stem) + "_p1", Holmcolumn(t)}) {
      Json m = Json::array();
      for (std::size_t a = 0; a < count; ++a) m.push_back(std::vector<Json>(count, Json(nullptr)));
      std::size_t p = 0;
      for (std::size_t a = 0; a < count; ++a)
        for (std::size_t b = a + 1; b < count; ++b, ++p) {
          const Json value = pairs[p].contains(which) ? pairs[p][which] : Json(nullptr);
          m[a][b] = m[b][a] = value;
        }
      matrices[which] = m;
    }
  j["pairwise"] = {{"pairs", pairs}, {"matrices", matrices}};
  return j;
}

}  // namespace halvik
