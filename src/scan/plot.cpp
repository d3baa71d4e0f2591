#include "scan/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace halvik {

namespace {

constexpr double Left = 84, Right = 1170;
constexpr double Ksttop = 96, Kstbottom = 336, Ptop = 384, Pbottom = 624;
constexpr const char *Font = "DejaVu Sans, Arial, Helvetica, sans-serif";
// Blue and vermilion stay apart for colour-blind readers; dark enough on white.
constexpr const char *Ink = "#222222", *Soft = "#555555", *Plain = "#4c72b0", *Found = "#c2410c", *Band = "#f1f1f1",
                     *Grid = "#dddddd";

std::string Fixed(double x, int decimals = 1) {
  char text[40];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::isfinite(x) ? std::clamp(x, -1e6, 1e6) : 0.0);
  return text;
}

// Text for XML: the markup characters escaped, and a byte that is not part
// of well-formed UTF-8 (or a control character) shown as U+FFFD.
std::string Xml(const std::string &raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size();) {
    const auto c = static_cast<unsigned char>(raw[i]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= raw.size() && (c >= 0x20 || c == '\t') && c != 0x7f;
    for (std::size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(raw[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    const std::string one = raw.substr(i, length);
    out += one == "&" ? "&amp;" : one == "<" ? "&lt;" : one == ">" ? "&gt;" : one == "\"" ? "&quot;" : one;
    i += length;
  }
  return out;
}

std::string Text(double x, double y, const std::string &body, const char *anchor = "start", int size = 13,
                 const char *colour = Ink, const std::string &extra = "") {
  return "<text x=\"" + Fixed(x) + "\" y=\"" + Fixed(y) + "\" font-size=\"" + std::to_string(size) +
         "\" text-anchor=\"" + anchor + "\" fill=\"" + colour + "\"" + extra + ">" + body + "</text>\n";
}

std::string Line(double x1, double y1, double x2, double y2, const char *colour, const std::string &extra = "") {
  return "<line x1=\"" + Fixed(x1) + "\" y1=\"" + Fixed(y1) + "\" x2=\"" + Fixed(x2) + "\" y2=\"" + Fixed(y2) +
         "\" stroke=\"" + colour + "\"" + extra + "/>\n";
}

// 1, 2 or 5 times a power of ten, near a fifth of the span.
double Tickstep(double span) {
  const double rough = span / 5.0, power = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double step : {1.0, 2.0, 5.0})
    if (rough <= step * power * 1.0001) return step * power;
  return 10.0 * power;
}

// A vertical axis from lo to hi (at least some span) between two page rows.
struct Axis {
  double Lo, Hi, Top, Bottom;
  double At(double v) const { return Bottom - (v - Lo) / (Hi - Lo) * (Bottom - Top); }
};

std::string Drawaxis(const Axis &axis, const std::string &label) {
  std::string svg = Line(Left, axis.Top, Left, axis.Bottom, Soft);
  const double step = Tickstep(axis.Hi - axis.Lo);
  for (double v = std::ceil(axis.Lo / step) * step; v <= axis.Hi + step * 1e-9; v += step) {
    const double y = axis.At(v), shown = std::abs(v) < step * 1e-9 ? 0.0 : v;
    svg += Line(Left, y, Right, y, Grid) + Line(Left - 5, y, Left, y, Soft);
    char text[32];
    std::snprintf(text, sizeof text, "%g", shown);
    svg += Text(Left - 8, y + 4, text, "end", 12, Soft);
  }
  const double middle = (axis.Top + axis.Bottom) / 2;
  return svg + Text(22, middle, label, "middle", 14, Ink, " transform=\"rotate(-90 22 " + Fixed(middle) + ")\"");
}

}  // namespace

void Plotter::Add(const Windowresult &row, const Runinfo &run, double q) {
  const auto known = std::find_if(Chroms.begin(), Chroms.end(), [&](const Extent &e) { return e.Name == row.Chrom; });
  const auto c = static_cast<std::int32_t>(known - Chroms.begin());
  if (known == Chroms.end()) Chroms.push_back({row.Chrom, row.Start, row.End});
  Extent &chrom = Chroms[static_cast<std::size_t>(c)];
  chrom.First = std::min(chrom.First, row.Start);
  chrom.Last = std::max(chrom.Last, row.End);
  const Testresult &kst = row.Tests[Kstat];
  Points.push_back({c, 0.5 * static_cast<double>(row.Start + row.End), kst.Value, Pof(kst, run).Value(), q});
}

namespace {

// Where each chromosome's positions fall across the page: the chromosomes
// side by side, each as wide as its windows reach, a small gap between.
struct Genomeaxis {
  std::vector<double> Offset, First;
  double Span = 1;
  double At(std::int32_t c, double position) const {
    const std::size_t k = static_cast<std::size_t>(c);
    return Left + (Offset[k] + position - First[k]) / Span * (Right - Left);
  }
};

template <class Extents>
Genomeaxis Genomeof(const Extents &chroms) {
  Genomeaxis g;
  double total = 0;
  for (const auto &e : chroms) total += static_cast<double>(e.Last - e.First + 1);
  const double gap = chroms.size() > 1 ? total * 0.01 : 0;
  for (std::size_t c = 0, at = 0; c < chroms.size(); ++c) {
    g.Offset.push_back(static_cast<double>(at) + gap * static_cast<double>(c));
    g.First.push_back(static_cast<double>(chroms[c].First));
    at += static_cast<std::size_t>(chroms[c].Last - chroms[c].First + 1);
  }
  g.Span = std::max(1.0, total + gap * (static_cast<double>(chroms.size()) - 1.0));
  return g;
}

std::string Heading(const std::string &title, std::size_t windows, std::size_t tested, const Runinfo &run) {
  return Text(Left, 30, Xml(title), "start", 16) +
         Text(Left, 52,
              std::to_string(windows) + " windows, " + std::to_string(tested) + " tested with " +
                  std::to_string(run.Lineups) + " lineups (seed " + std::to_string(run.Seed) + ")",
              "start", 13, Soft) +
         "<circle cx=\"" + Fixed(Right - 250) + "\" cy=\"47\" r=\"4\" fill=\"" + Found + "\"/>" +
         Text(Right - 240, 52, "Kst q \xE2\x89\xA4 0.05", "start", 13) + "<circle cx=\"" + Fixed(Right - 120) +
         "\" cy=\"47\" r=\"4\" fill=\"" + Plain + "\"/>" + Text(Right - 110, 52, "q &gt; 0.05", "start", 13);
}

// Every other chromosome shaded, each named under the lower panel.
template <class Extents>
std::string Bands(const Extents &chroms, const Genomeaxis &genome) {
  std::string svg;
  for (std::size_t c = 0; c < chroms.size(); ++c) {
    const double from = genome.At(static_cast<std::int32_t>(c), static_cast<double>(chroms[c].First));
    const double to = genome.At(static_cast<std::int32_t>(c), static_cast<double>(chroms[c].Last));
    if (c % 2 == 1)
      for (const auto &[top, bottom] : {std::pair{Ksttop, Kstbottom}, std::pair{Ptop, Pbottom}})
        svg += "<rect x=\"" + Fixed(from) + "\" y=\"" + Fixed(top) + "\" width=\"" + Fixed(to - from) + "\" height=\"" +
               Fixed(bottom - top) + "\" fill=\"" + Band + "\"/>\n";
    svg += Text((from + to) / 2, Pbottom + 22, Xml(chroms[c].Name), "middle", 13);
  }
  return svg;
}

// Positions along one chromosome, in bp, kb or Mb.
std::string Positionticks(std::int64_t first, std::int64_t last, const Genomeaxis &genome) {
  std::string svg;
  const double step = Tickstep(static_cast<double>(last - first + 1));
  const double unit = step >= 1e6 ? 1e6 : step >= 1e3 ? 1e3 : 1;
  for (double v = std::ceil(static_cast<double>(first) / step) * step; v <= static_cast<double>(last); v += step) {
    char text[40];
    std::snprintf(text, sizeof text, "%g %s", v / unit, unit == 1e6 ? "Mb" : unit == 1e3 ? "kb" : "bp");
    const double x = genome.At(0, v);
    svg += Line(x, Pbottom, x, Pbottom + 5, Soft) + Text(x, Pbottom + 42, text, "middle", 11, Soft);
  }
  return svg;
}

// A dot for each tested window in each panel, vermilion where its Kst
// q-value is at most 0.05.
template <class Points>
std::string Dots(const Points &points, const Genomeaxis &genome, const Axis &kst, const Axis &logp) {
  std::string svg;
  for (const auto &p : points) {
    if (!std::isfinite(p.Kst)) continue;
    const char *colour = p.Q <= 0.05 ? Found : Plain;
    const std::string cx = Fixed(genome.At(p.Chrom, p.Position));
    svg += "<circle cx=\"" + cx + "\" cy=\"" + Fixed(kst.At(p.Kst)) + "\" r=\"2.5\" fill=\"" + colour + "\"/>\n";
    if (std::isfinite(p.P1))
      svg += "<circle cx=\"" + cx + "\" cy=\"" + Fixed(logp.At(-std::log10(p.P1))) + "\" r=\"2.5\" fill=\"" + colour +
             "\"/>\n";
  }
  return svg;
}

}  // namespace

std::string Plotter::Svg(const std::string &title, const Runinfo &run) const {
  double low = 0, high = 0.1;
  std::size_t tested = 0;
  for (const Point &p : Points) {
    if (!std::isfinite(p.Kst)) continue;
    low = std::min(low, p.Kst);
    high = std::max(high, p.Kst);
    tested += std::isfinite(p.P1);
  }
  const double pad = 0.05 * (high - low);
  const Axis kst{low < 0 ? low - pad : low, high + pad, Ksttop, Kstbottom};
  const Axis logp{0, std::max(1.0, std::ceil(std::log10(run.Lineups + 1.0))), Ptop, Pbottom};
  const Genomeaxis genome = Genomeof(Chroms);
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1200\" height=\"700\" viewBox=\"0 0 1200 700\" "
      "font-family=\"" +
      std::string(Font) + "\">\n<rect width=\"1200\" height=\"700\" fill=\"white\"/>\n";
  svg += Heading(title, Points.size(), tested, run) + Bands(Chroms, genome);
  svg += Drawaxis(kst, "Kst") + Drawaxis(logp, "\xE2\x88\x92log10 p1 of Kst");
  if (Chroms.size() == 1) svg += Positionticks(Chroms[0].First, Chroms[0].Last, genome);
  svg += Dots(Points, genome, kst, logp);
  return svg + Line(Left, Kstbottom, Right, Kstbottom, Soft) + Line(Left, Pbottom, Right, Pbottom, Soft) + "</svg>\n";
}

}  // namespace halvik
