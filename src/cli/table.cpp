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
using Columns = std::vector<std::pair<std::string, Json>>;

// A column without a value: empty in TSV, left out of JSON.
const Json Absent(Json::value_t::discarded);

// The dialogue's statistics have their columns among the first figures; those
// added since come after the notes, so that the older columns keep their
// places.
bool Dialogues(const Testedstatistic &t) { return t.Plabel != nullptr; }

const char *Policyname(Missingpolicy policy) {
  switch (policy) {
    case Missingpolicy::Complete: return "complete";
    case Missingpolicy::Pairwise: return "pairwise";
    default: return "state";
  }
}

// A statistic's count and P values; nothing is tested with one locality, or
// where the observed value is NaN (no lineup can reach it).
void Testcolumns(const Fileresult &r, const Testedstatistic &t, Columns &c) {
  const bool tested = Tested(r, t.Id);
  const Pvalues p = Pvaluesof(r.Counts[t.Id], r.Lineups, tested);
  const std::string stem = std::string(t.Stem) + "_";
  c.insert(c.end(), {{stem + "count", tested ? r.Counts[t.Id] : 0},
                     {stem + "p", p.P},
                     {stem + "p1", p.P1},
                     {stem + "se", p.Se}});
}

// The figures of an analysis by column, in the table's order after message.
Columns Figures(const Fileresult &r) {
  Json sizes = Json::array();
  for (const Rangevalues &l : r.Localities) sizes.push_back(l.Size);
  const Subdivision &s = r.Stats;
  Columns c = {{"sequences", r.Sequences}, {"length", r.Length},   {"sites", r.Sites},     {"pn", r.Pn},
               {"theta", r.Theta},         {"localities", r.Localities.size()},              {"sizes", sizes},
               {"ks", s.Ks},               {"kt", s.Kt},           {"kst", s.Kst},         {"fs", s.Fs},
               {"ft", s.Ft},               {"fst", s.Fst},         {"kstar_s", s.Ksstar},  {"kstar_t", s.Ktstar},
               {"kstar_st", s.Kststar},    {"fstar_s", s.Fsstar},  {"fstar_b", s.Fbstar},  {"fstar_sb", s.Fsbstar},
               {"lineups", r.Lineups},     {"seed", r.Seed}};
  for (const Testedstatistic &t : Testedstatistics)
    if (Dialogues(t)) Testcolumns(r, t, c);
  return c;
}

// The figures added since, after the notes.
Columns Laterfigures(const Fileresult &r) {
  Columns c = {{"theta_w", r.Thetaw}, {"missing", Policyname(r.Missing)}, {"positions", r.Positions}};
  for (const Testedstatistic &t : Testedstatistics)
    if (!Dialogues(t)) {
      c.emplace_back(t.Stem, Observedvalue(r.Stats, t.Id));
      Testcolumns(r, t, c);
    }
  return c;
}

// The exact P values: the number of divisions visited (none where there were
// more than could be), and each statistic's share of them at least the
// observed value.
Columns Exactcolumns(const Fileresult &r) {
  const Exactshares &e = r.Shares;
  Columns c = {{"divisions", e.Divisions > 0 ? Json(e.Divisions) : Json(nullptr)}};
  for (const Testedstatistic &t : Testedstatistics)
    c.emplace_back(std::string(t.Stem) + "_exact",
                   e.Divisions > 0 && Tested(r, t.Id) ? e.Share[static_cast<std::size_t>(t.Id)] : std::nan(""));
  return c;
}

std::string Holmcolumn(const Testedstatistic &t) { return std::string(t.Stem) + "_p1_holm"; }

// A pair's Holm columns of the statistics of one kind (the dialogue's, or not).
Columns Holmcolumns(const Fileresult &r, const double *holm, bool dialogues) {
  Columns c;
  for (const Testedstatistic &t : Testedstatistics)
    if (Dialogues(t) == dialogues)
      c.emplace_back(Holmcolumn(t), holm != nullptr && r.Ok() ? Json(holm[t.Id]) : Absent);
  return c;
}

Json Groupsof(const Fileresult &r) {
  Json names = Json::array();
  for (const Rangevalues &l : r.Localities)
    if (!l.Name.empty()) names.push_back(l.Name);
  return names;
}

const char *Statusname(Filestatus status) {
  return status == Filestatus::Ok ? "ok" : status == Filestatus::Refused ? "refused" : "failed";
}

// A text field: tabs and line ends would break the row.
std::string Field(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string Cell(const Json &value) {
  if (value.is_discarded() || value.is_null()) return "";
  if (value.is_string()) return Field(value.get<std::string>());
  if (value.is_number_float()) return Shortest(value.get<double>());
  if (value.is_array()) {
    std::string joined;
    for (const Json &item : value) joined += (joined.empty() ? "" : ",") + Cell(item);
    return joined;
  }
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

// Every column of a row in the table's order, with its value; a row without
// figures has them empty.
Columns Rowcolumns(const Fileresult &r, bool pairwise, const double *holm) {
  const bool figures = r.Sequences > 0;
  const auto add = [&](Columns &to, const Columns &from) {
    for (const auto &[name, value] : from) to.emplace_back(name, figures ? value : Absent);
  };
  Columns c = {{"file", r.File}};
  if (pairwise) c.emplace_back("pair", r.Pair);
  c.insert(c.end(), {{"status", Statusname(r.Status)}, {"message", r.Message}});
  add(c, Figures(r));
  c.emplace_back("version", Version);
  if (pairwise) add(c, Holmcolumns(r, holm, true));
  std::string notes = r.Notes;
  for (const std::string &warning : r.Warnings) notes += (notes.empty() ? "" : "; ") + warning;
  c.insert(c.end(), {{"groups", Groupsof(r)}, {"notes", notes}});
  add(c, Laterfigures(r));
  if (pairwise) add(c, Holmcolumns(r, holm, false));
  add(c, Exactcolumns(r));
  return c;
}

// Fields joined by tabs, ending the line.
std::string Joined(const std::vector<std::string> &fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i > 0 ? "\t" : "") + fields[i];
  line += '\n';
  return line;
}

Json Rowjson(const Fileresult &r, bool pairwise, const double *holm) {
  Json j;
  for (const auto &[name, value] : Rowcolumns(r, pairwise, holm))
    if (!value.is_discarded()) j[name] = Finite(value);
  if (r.Sequences > 0) {
    j["locality_values"] = Json::array();
    for (const Rangevalues &l : r.Localities) j["locality_values"].push_back(Rangejson(l));
    j["sample_values"] = Rangejson(r.Whole);
  }
  return j;
}

}  // namespace

bool Tested(const Fileresult &r, int id) {
  return r.Localities.size() >= 2 && !std::isnan(Observedvalue(r.Stats, id));
}

std::string Tsvheader(bool pairwise) {
  std::vector<std::string> names;
  Fileresult blank;
  blank.Sequences = 1;  // every column, as a row with figures has them
  for (const auto &[name, value] : Rowcolumns(blank, pairwise, nullptr)) names.push_back(name);
  return Joined(names);
}

std::string Tsvrow(const Fileresult &row, bool pairwise, const double *holm) {
  std::vector<std::string> fields;
  for (const auto &[name, value] : Rowcolumns(row, pairwise, holm)) fields.push_back(Cell(value));
  return Joined(fields);
}

std::vector<Pairadjusted> Pairholm(const std::vector<Fileresult> &pairs) {
  std::vector<Pairadjusted> holm(pairs.size());
  for (const Testedstatistic &t : Testedstatistics) {
    std::vector<Pratio> p;
    for (const Fileresult &r : pairs)
      p.push_back(r.Ok() && Tested(r, t.Id) ? Plusone(r.Counts[t.Id], r.Lineups) : Pratio{});
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
