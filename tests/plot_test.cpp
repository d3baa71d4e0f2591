#include "cli/plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string_view>

using namespace halvik;

namespace {

const double Nan = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();

// UTF-8 in form (lead and continuation bytes), without control characters
// but newline; the hostile names below pin how overlong forms and
// surrogates are replaced.
bool Validutf8(const std::string &s) {
  for (std::size_t i = 0, n = 1; i < s.size(); i += n) {
    const unsigned char c = s[i];
    n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || (c < 0x20 && c != '\n') || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((s[i + k] & 0xC0) != 0x80) return false;
  }
  return true;
}

// Character data with only the predefined entities and neither '<' nor '>'.
bool Plaintext(std::string_view text) {
  constexpr const char *Entities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
  for (std::size_t i = text.find('&'); i != std::string::npos; i = text.find('&', i + 1)) {
    const auto entity = [&](const char *e) { return text.substr(i).starts_with(e); };
    if (std::none_of(std::begin(Entities), std::end(Entities), entity)) return false;
  }
  return text.find_first_of("<>") == std::string::npos;
}

// Well-formed XML, a little stricter than XML needs (no '>' in text, no
// comments) and blind to a repeated attribute: one root, nested tags, quoted
// attributes, only the predefined entities. Hands back every attribute value.
bool Wellformed(const std::string &doc, std::vector<std::string> &values) {
  std::vector<std::string> open;
  int roots = 0;
  for (std::size_t i = doc.starts_with("<?xml") ? doc.find("?>") + 2 : 0; i < doc.size();) {
    const std::size_t lt = std::min(doc.find('<', i), doc.size()), gt = doc.find('>', lt);
    if (!Plaintext(doc.substr(i, lt - i)) || (open.empty() && doc.find_first_not_of('\n', i) < lt)) return false;
    if (lt == doc.size()) break;
    if (gt == std::string::npos) return false;
    std::string tag = doc.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    if (tag.starts_with('/')) {
      if (open.empty() || open.back() != tag.substr(1)) return false;
      open.pop_back();
      continue;
    }
    const bool empty = tag.ends_with('/');
    if (empty) tag.pop_back();
    std::size_t at = std::min(tag.find_first_of(" \n"), tag.size());
    roots += open.empty();
    if (!empty) open.push_back(tag.substr(0, at));
    for (std::size_t start; (start = tag.find_first_not_of(" \n", at)) != std::string::npos; at++) {
      const std::size_t equals = tag.find("=\"", start);
      if (at == start || equals == std::string::npos || tag.find_first_of(" \n\"", start) < equals) return false;
      at = tag.find('"', equals + 2);  // the closing quote
      if (at == std::string::npos || !Plaintext(values.emplace_back(tag.substr(equals + 2, at - equals - 2))))
        return false;
    }
  }
  return open.empty() && roots == 1 && Validutf8(doc);
}

Nullpanel Panel(std::string name, double observed, std::vector<double> values) {
  const auto count = std::count_if(values.begin(), values.end(), [&](double v) { return v >= observed; });
  return {std::move(name), observed, std::move(values), static_cast<std::int32_t>(count)};
}

std::vector<double> Normal(int n, double mean, double sd) {
  std::mt19937 random(12345);
  std::normal_distribution<double> draw(mean, sd);
  std::vector<double> values(n);
  for (double &v : values) v = draw(random);
  return values;
}

// The document, checked well-formed and without a coordinate that is NaN or infinite.
std::string Checkedsvg(const Plotinput &input) {
  const std::string svg = Plotsvg(input);
  std::vector<std::string> values;
  EXPECT_TRUE(Wellformed(svg, values)) << svg;
  for (const std::string &v : values)  // as printf writes them
    EXPECT_TRUE(v.find("nan") == std::string::npos && v.find("inf") == std::string::npos) << v;
  return svg;
}

}  // namespace

TEST(Plot, CaptionsShowValuesAndCounts) {
  Plotinput input{"two.fas", "1-3", "localities: East (14), West (9)", 9999, 12345u, {}};
  input.Panels = {Panel("Kst", 0.486123, Normal(9999, -0.02, 0.03)), Panel("Fst", 0.64, Normal(9999, 0.5, 0.03)),
                  Panel("K*st", -0.0234567, Normal(9999, -0.02, 0.03)), Panel("F*sb", 1.5e-5, {})};
  input.Panels[0].Count = 2;
  const std::string svg = Checkedsvg(input);
  for (const char *shown : {"Kst = 0.4861", "p1 = 0.0003", "2 of 9999 lineups at least as large", "Fst = 0.64",
                            "K*st = -0.02346", "F*sb = 1.5e-5", "9999 lineups, seed 12345", "two.fas, localities 1-3",
                            "localities: East (14), West (9)"})
    EXPECT_NE(svg.find(shown), std::string::npos) << shown;
  // One locality tests nothing: no bars are drawn of its lineups' values.
  for (Nullpanel &panel : input.Panels) panel.Tested = false;
  const std::string untested = Checkedsvg(input);
  EXPECT_NE(untested.find("no test: one locality"), std::string::npos);
  EXPECT_EQ(untested.find("<g fill="), std::string::npos);  // the bars
  EXPECT_EQ(untested.find("p1 = "), std::string::npos);
}

TEST(Plot, HostileNamesAndDegenerateValuesStayWellformed) {
  const std::string bad = "\xEF\xBF\xBD";  // U+FFFD
  const std::vector<double> zeros(29999, 0.0), nans(29999, Nan);
  const std::vector<Nullpanel> plain{Panel("Kst", 0.1, {0.2}), Panel("Fst", 0.1, {0.0}), Panel("K*st", 0.0, {0.0}),
                                       Panel("F*sb", Nan, {Nan})};
  const struct {
    std::string File, Pair;
    std::vector<Nullpanel> Panels;
    std::vector<std::string> Shown;
  } cases[] = {
      {"a&b<c>\"d'e", "E&<W>", plain, {"a&amp;b&lt;c&gt;&quot;d&apos;e, localities E&amp;&lt;W&gt;"}},
      {"bad\xff\xfe\xf8\x90\x80\x80.", "", plain, {"bad" + bad + bad + bad + bad + bad + bad + "."}},
      {"ctl\x01\x1b\x7f.", "", plain, {"ctl" + bad + bad + bad + "."}},
      {"sur\xED\xA0\x80 over\xC0\xAF cut\xE2\x82", "", plain,
       {"sur" + bad + bad + bad + " over" + bad + bad + " cut" + bad + bad}},
      {"caf\xC3\xA9 \xF0\x9F\xA7\xAC", "", plain, {"caf\xC3\xA9 \xF0\x9F\xA7\xAC<"}},
      {std::string(5000, 'x'), "", plain, {"x\xE2\x80\xA6x"}},
      {"one", "", {Panel("Kst", 0.0, zeros), Panel("Fst", Nan, nans), Panel("K*st", 0.0, {}), Panel("F*sb", Nan, {})},
       {"29999 lineups not a number", "nothing was tested"}},
      {"r1", "", {Panel("Kst", 0.3, {0.1}), Panel("Fst", Inf, {1.0, 2.0, Nan}), Panel("K*st", -Inf, {Inf, -Inf, Nan}),
                  Panel("F*sb", 5.0, {5.0, 5.0})},
       {"0 of 1 lineup at least", "1 lineup not a number: left out", "1 lineup not a number, 2 lineups infinite"}},
      {"wide", "", {Panel("Kst", 0.0, {1e308, -1e308}), Panel("Fst", -1e300, {1e300}), Panel("K*st", 7e20, {4e30}),
                    Panel("F*sb", 1e-300, {2e-300, 3e-300})}, {"F*sb = 1e-300"}}};
  for (const auto &c : cases) {
    const std::string svg = Checkedsvg({c.File, c.Pair, "", 1, 1u, c.Panels});
    for (const std::string &shown : c.Shown) EXPECT_NE(svg.find(shown), std::string::npos) << shown;
  }
}

TEST(Plot, BinsCoverTheFiniteValues) {
  std::vector<double> lattice;  // few values on a lattice: one bar for each
  for (int k = 0; k < 400; ++k) lattice.push_back(0.0625 * (k % 7 + k % 3) - 0.125);
  const struct {
    std::vector<double> Values;
    std::size_t Fewest, Most;
    double Width;  // 0: any of 1, 2 or 5 times a power of ten; else bars centred on values, the least first
  } cases[] = {{Normal(9999, -0.02, 0.03), 20, 60, 0}, {Normal(29999, 0.5, 0.03), 20, 60, 0}, {{0.3}, 1, 1, 0},
               {std::vector<double>(500, 0.0), 1, 1, 0.1}, {{1.0, 2.0, Nan, Inf, -Inf}, 2, 2, 1.0}, {{Nan}, 0, 0, 0},
               {lattice, 9, 9, 0.0625}, {{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.001}, 2, 3, 0},
               {{0.1, 0.2, 0.3, 1.05}, 2, 2, 0}};
  for (const auto &c : cases) {
    const Histogram bars = Binvalues(c.Values);
    std::int64_t total = bars.Notanumber + bars.Infinite;
    for (const std::int32_t n : bars.Counts) total += n;
    EXPECT_EQ(total, static_cast<std::int64_t>(c.Values.size()));
    EXPECT_TRUE(bars.Counts.size() >= c.Fewest && bars.Counts.size() <= c.Most) << bars.Counts.size();
    for (const double v : c.Values)
      EXPECT_TRUE(!std::isfinite(v) || (bars.Lo <= v && v < bars.Lo + bars.Width * bars.Counts.size())) << v;
    const double mantissa = std::round(bars.Width / std::pow(10.0, std::floor(std::log10(bars.Width))) * 1e6) / 1e6;
    EXPECT_TRUE(c.Width > 0 ? std::abs(bars.Width - c.Width) < 1e-12 : mantissa == 1 || mantissa == 2 || mantissa == 5)
        << bars.Width;
    EXPECT_TRUE(c.Width == 0 || std::abs(bars.Lo + bars.Width / 2 - c.Values[0]) < 1e-12) << bars.Lo;
  }
}
