#include "cli/plot.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>

namespace halvik {

namespace {

constexpr int Maxbins = 60;
constexpr const char *Fontstack = "DejaVu Sans, Arial, Helvetica, sans-serif";
// Dark enough on white for text; blue and vermilion stay apart for
// colour-blind readers.
constexpr const char *Ink = "#222222", *Softink = "#555555", *Barfill = "#4c72b0", *Observedink = "#c2410c",
                     *Gridink = "#e4e4e4";

// The characters of `raw`, each as its UTF-8 bytes. A byte that is not
// UTF-8 (cut short, overlong, a surrogate, beyond U+10FFFF) and a character
// XML forbids become U+FFFD, so that any file name gives a well-formed file.
std::vector<std::string> Characters(std::string_view raw) {
  std::vector<std::string> characters;
  const auto byte = [&](std::size_t k) -> char32_t { return static_cast<unsigned char>(raw[k]); };
  for (std::size_t i = 0; i < raw.size();) {
    // The leading ones of the first byte give the length: none for ASCII,
    // one for a continuation byte that cannot start a character.
    const auto ones = static_cast<std::size_t>(std::countl_one(static_cast<unsigned char>(raw[i])));
    const std::size_t length = ones == 0 ? 1 : ones >= 2 && ones <= 4 ? ones : 0;
    char32_t point = length > 1 ? byte(i) & (0x7Fu >> length) : byte(i);
    bool valid = length > 0 && i + length <= raw.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      valid = (byte(i + k) & 0xC0) == 0x80;
      point = point << 6 | (byte(i + k) & 0x3F);
    }
    constexpr char32_t Least[] = {0, 0x20, 0x80, 0x800, 0x10000};
    valid = valid && point >= Least[length] && point <= 0x10FFFF && point != 0x7F &&
            (point < 0xD800 || point > 0xDFFF) && point != 0xFFFE && point != 0xFFFF;
    characters.push_back(valid ? std::string(raw.substr(i, length)) : "\uFFFD");
    i += valid ? length : 1;
  }
  return characters;
}

// Text escaped for XML; past `most` characters the middle gives way to an
// ellipsis, keeping both ends of a long path in view.
std::string Xmltext(std::string_view raw, std::size_t most = 400) {
  std::vector<std::string> characters = Characters(raw);
  if (characters.size() > most) {
    const auto head = static_cast<std::ptrdiff_t>((most - 1) / 2), tail = static_cast<std::ptrdiff_t>(most / 2);
    characters.erase(characters.begin() + head, characters.end() - tail);
    characters.insert(characters.begin() + head, "\u2026");
  }
  std::string out;
  for (const std::string &c : characters)
    out += c == "&" ? "&amp;" : c == "<" ? "&lt;" : c == ">" ? "&gt;" : c == "\"" ? "&quot;" : c == "'" ? "&apos;" : c;
  return out;
}

// printf's %g with a short exponent (1.5e-5, not 1.5e-05) and no "-0".
std::string Shortg(double x, int digits) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, x == 0.0 ? 0.0 : x);
  std::string text = buffer;
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  const bool negative = text[e + 1] == '-';
  const std::size_t digit = text.find_first_not_of("+-0", e + 1);
  return text.substr(0, e) + (negative ? "e-" : "e") + (digit == std::string::npos ? "0" : text.substr(digit));
}

// A coordinate for an attribute: always a finite number, whatever the data.
std::string Coord(double x) {
  if (!std::isfinite(x)) x = 0.0;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", std::clamp(x, -1e5, 1e5));
  return buffer;
}

// The number 1, 2 or 5 times a power of ten at or above x, or with `nearest`
// the one nearest to x on a log scale.
double Nice(double x, bool nearest) {
  if (!(x > 0.0) || !std::isfinite(x)) return x > 0.0 ? x : 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(x))), mantissa = x / power;
  constexpr double Steps[] = {1.0, 2.0, 5.0}, Midpoints[] = {1.4142, 3.1623, 7.0711};
  for (int k = 0; k < 3; ++k)
    if (mantissa <= (nearest ? Midpoints[k] : Steps[k] * (1.0 + 1e-9))) return Steps[k] * power;
  return 10.0 * power;
}

// A linear axis from Lo to Hi, both multiples of the tick spacing Step.
struct Axis {
  double Lo, Hi, Step;
};

Axis Makeaxis(double lo, double hi, double ticks, double pad) {
  if (!(hi > lo)) {
    const double half = lo != 0.0 ? std::abs(lo) / 10.0 : 1.0;
    lo -= half;
    hi += half;
  }
  const double margin = (hi - lo) * pad;
  const double step = Nice((hi - lo + 2.0 * margin) / ticks, true);
  return {std::floor((lo - margin) / step) * step, std::ceil((hi + margin) / step) * step, step};
}

// Maps values on an axis to page pixels between From and To.
struct Scale {
  Axis On;
  double From, To;
  double At(double v) const { return From + (v - On.Lo) / (On.Hi - On.Lo) * (To - From); }
};

// Tick values; at most 40 even for an axis the data made absurd.
std::vector<double> Ticks(const Axis &axis) {
  std::vector<double> ticks;
  for (double k = std::ceil(axis.Lo / axis.Step - 1e-9);
       ticks.size() < 40 && k * axis.Step <= axis.Hi + axis.Step * 1e-9; ++k)
    ticks.push_back(k * axis.Step);
  return ticks;
}

// Only the decimals the spacing needs, trailing zeros dropped.
std::string Ticklabel(double value, double step) {
  if (std::abs(value) < step * 1e-6) return "0";
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  if (decimals > 4 || std::abs(value) >= 1e5) return Shortg(value, 3);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  if (text.find('.') != std::string::npos) text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

// Counts in thousands on an axis that reaches 10000, so labels stay short.
std::string Countlabel(double count, double top) {
  return top >= 1e4 && count > 0.0 ? Shortg(count / 1000.0, 3) + "k" : Shortg(count, 6);
}

void Line(std::string &svg, double x1, double y1, double x2, double y2, const char *colour, double width) {
  svg += "<line x1=\"" + Coord(x1) + "\" y1=\"" + Coord(y1) + "\" x2=\"" + Coord(x2) + "\" y2=\"" + Coord(y2) +
         "\" stroke=\"" + colour + "\" stroke-width=\"" + Coord(width) + "\"/>\n";
}

// `style` holds further attributes; `text` is already escaped.
void Text(std::string &svg, double x, double y, const std::string &style, const std::string &text) {
  svg += "<text x=\"" + Coord(x) + "\" y=\"" + Coord(y) + "\" " + style + ">" + text + "</text>\n";
}

// The plot area of a panel, in page pixels.
struct Frame {
  double Left, Top, Right, Bottom;
};

std::string Lineupword(std::int64_t n) { return std::to_string(n) + (n == 1 ? " lineup" : " lineups"); }

// "3 lineups not a number, 1 lineup infinite"; empty when every value is finite.
std::string Leftout(const Histogram &bars) {
  std::string text;
  if (bars.Notanumber > 0) text = Lineupword(bars.Notanumber) + " not a number";
  if (bars.Infinite > 0) text += (text.empty() ? "" : ", ") + Lineupword(bars.Infinite) + " infinite";
  return text;
}

// Three lines above the plot: the value and P, the count behind P, and what
// had to be left out of the bars.
void Caption(std::string &svg, const Nullpanel &panel, std::int32_t lineups, const Histogram &bars, double x,
             double y) {
  const std::string name = Xmltext(panel.Name, 20);
  std::string first = "<tspan font-weight=\"bold\">" + name + " = " + Shortg(panel.Observed, 4) + "</tspan>";
  std::string second;
  if (std::isnan(panel.Observed)) {
    second = "no test: the observed " + name + " is not a number";
  } else if (!panel.Tested) {
    second = "no test: one locality";
  } else if (lineups > 0) {
    // p1, the P to report: the observed division counts as one of the lineups.
    const double p1 = static_cast<double>(panel.Count + 1) / (static_cast<double>(lineups) + 1.0);
    first += "<tspan dx=\"16\">p1 = " + Shortg(p1, 4) + "</tspan>";
    second = std::to_string(panel.Count) + " of " + Lineupword(lineups) + " at least as large";
  }
  Text(svg, x, y + 18, "font-size=\"15\" fill=\"" + std::string(Ink) + "\"", first);
  Text(svg, x, y + 36, "font-size=\"12.5\" fill=\"" + std::string(Ink) + "\"", second);
  if (!bars.Counts.empty() && bars.Notanumber + bars.Infinite > 0)
    Text(svg, x, y + 52, "font-size=\"12\" font-style=\"italic\" fill=\"" + std::string(Softink) + "\"",
         Leftout(bars) + ": left out of the bars");
}

// Grid lines, count ticks and the bars themselves.
void Drawbars(std::string &svg, const Histogram &bars, const Scale &x, const Frame &frame) {
  const double most = *std::max_element(bars.Counts.begin(), bars.Counts.end());
  Axis counts = Makeaxis(0.0, most, 4.0, 0.0);
  if (counts.Step < 1.0) counts = {0.0, std::ceil(most), 1.0};
  const Scale y{counts, frame.Bottom, frame.Top};
  const double middle = (frame.Top + frame.Bottom) / 2.0;
  Text(svg, frame.Left - 48.0, middle,
       "font-size=\"12.5\" text-anchor=\"middle\" transform=\"rotate(-90 " + Coord(frame.Left - 48.0) + " " +
           Coord(middle) + ")\"",
       "lineups");
  for (const double tick : Ticks(counts)) {
    if (tick > 0.0) Line(svg, frame.Left, y.At(tick), frame.Right, y.At(tick), Gridink, 1.0);
    Line(svg, frame.Left - 5.0, y.At(tick), frame.Left, y.At(tick), Ink, 1.0);
    Text(svg, frame.Left - 8.0, y.At(tick) + 4.0, "font-size=\"11\" text-anchor=\"end\"", Countlabel(tick, counts.Hi));
  }
  const auto edge = [&](std::size_t i) { return x.At(bars.Lo + static_cast<double>(i) * bars.Width); };
  svg += "<g fill=\"" + std::string(Barfill) + "\">\n";
  if (edge(1) - edge(0) >= 4.0) {  // wide bars stand apart by a pixel
    for (std::size_t i = 0; i < bars.Counts.size(); ++i)
      if (bars.Counts[i] > 0)
        svg += "<rect x=\"" + Coord(edge(i) + 0.5) + "\" y=\"" + Coord(y.At(bars.Counts[i])) + "\" width=\"" +
               Coord(edge(i + 1) - edge(i) - 1.0) + "\" height=\"" + Coord(frame.Bottom - y.At(bars.Counts[i])) +
               "\"/>\n";
  } else {  // narrow ones as one outline: abutting rectangles would show seams
    svg += "<path d=\"M" + Coord(edge(0)) + " " + Coord(frame.Bottom);
    for (std::size_t i = 0; i < bars.Counts.size(); ++i)
      svg += " V" + Coord(y.At(bars.Counts[i])) + " H" + Coord(edge(i + 1));
    svg += " V" + Coord(frame.Bottom) + "Z\"/>\n";
  }
  svg += "</g>\n";
  Line(svg, frame.Left, frame.Bottom, frame.Left, frame.Top, Ink, 1.0);
}

void Drawxaxis(std::string &svg, const Scale &x, const Frame &frame, const std::string &name) {
  const std::vector<double> ticks = Ticks(x.On);
  std::size_t longest = 0;
  for (const double tick : ticks) longest = std::max(longest, Ticklabel(tick, x.On.Step).size());
  // Labels about 7 pixels a character; every other one where they would touch.
  const std::size_t every =
      7.0 * static_cast<double>(longest) + 8.0 > x.At(x.On.Lo + x.On.Step) - x.At(x.On.Lo) ? 2 : 1;
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    Line(svg, x.At(ticks[i]), frame.Bottom, x.At(ticks[i]), frame.Bottom + 5.0, Ink, 1.0);
    if (i % every == 0)
      Text(svg, x.At(ticks[i]), frame.Bottom + 18.0, "font-size=\"11\" text-anchor=\"middle\"",
           Ticklabel(ticks[i], x.On.Step));
  }
  Text(svg, (frame.Left + frame.Right) / 2.0, frame.Bottom + 35.0, "font-size=\"12.5\" text-anchor=\"middle\"", name);
  Line(svg, frame.Left, frame.Bottom, frame.Right, frame.Bottom, Ink, 1.0);
}

// The observed value as a line through the plot, labelled above it; an
// infinite one stands at the edge it lies beyond.
void Drawobserved(std::string &svg, double observed, const Scale &x, const Frame &frame) {
  const double at = std::isfinite(observed) ? x.At(observed) : observed > 0 ? frame.Right : frame.Left;
  const double place = (at - frame.Left) / (frame.Right - frame.Left);
  const char *anchor = place < 0.25 ? "start" : place > 0.75 ? "end" : "middle";
  const double shift = place < 0.25 ? -3.0 : place > 0.75 ? 3.0 : 0.0;
  Line(svg, at, frame.Bottom, at, frame.Top - 4.0, Observedink, 2.5);
  Text(svg, at + shift, frame.Top - 8.0,
       "font-size=\"12.5\" font-weight=\"bold\" text-anchor=\"" + std::string(anchor) + "\" fill=\"" + Observedink +
           "\"",
       "observed " + Shortg(observed, 4));
}

// What the x axis must show: the bars, at least six bar widths wide so that
// one or two bars do not fill the panel, and a finite observed value
// however far off.
Axis Xaxis(const Histogram &bars, double observed) {
  double lo = observed, hi = observed;
  if (!bars.Counts.empty()) {
    const double middle = bars.Lo + static_cast<double>(bars.Counts.size()) * bars.Width / 2.0;
    const double half = std::max(static_cast<double>(bars.Counts.size()), 6.0) * bars.Width / 2.0;
    lo = middle - half;
    hi = middle + half;
    if (std::isfinite(observed)) lo = std::min(lo, observed), hi = std::max(hi, observed);
  }
  return Makeaxis(lo, hi, 5.0, 0.04);
}

// A faint frame saying why a panel has no bars.
void Drawempty(std::string &svg, const Histogram &bars, std::int32_t lineups, const Frame &frame) {
  const std::string style = "font-size=\"13\" text-anchor=\"middle\" fill=\"" + std::string(Softink) + "\"";
  const double middle = (frame.Left + frame.Right) / 2.0, level = (frame.Top + frame.Bottom) / 2.0;
  svg += "<rect x=\"" + Coord(frame.Left) + "\" y=\"" + Coord(frame.Top) + "\" width=\"" +
         Coord(frame.Right - frame.Left) + "\" height=\"" + Coord(frame.Bottom - frame.Top) +
         "\" fill=\"none\" stroke=\"" + Gridink + "\"/>\n";
  Text(svg, middle, level - 10.0, style, "no lineup value to draw:");
  Text(svg, middle, level + 10.0, style,
       bars.Notanumber + bars.Infinite > 0 ? Leftout(bars) : lineups > 0 ? "nothing was tested" : "no lineups");
}

// A panel of 450 x 306 pixels from (x0, y0): three caption lines, the
// observed value's label, the plot, then tick labels and the axis name.
void Drawpanel(std::string &svg, const Nullpanel &panel, std::int32_t lineups, double x0, double y0) {
  const Frame frame{x0 + 66.0, y0 + 78.0, x0 + 428.0, y0 + 256.0};
  const Histogram bars = Binvalues(panel.Tested ? panel.Values : std::vector<double>{});
  Caption(svg, panel, lineups, bars, x0 + 20.0, y0);
  const Scale x{Xaxis(bars, panel.Observed), frame.Left, frame.Right};  // unused when nothing is finite
  if (!bars.Counts.empty())
    Drawbars(svg, bars, x, frame);
  else
    Drawempty(svg, bars, lineups, frame);
  if (!bars.Counts.empty() || std::isfinite(panel.Observed)) Drawxaxis(svg, x, frame, Xmltext(panel.Name, 20));
  if (!std::isnan(panel.Observed)) Drawobserved(svg, panel.Observed, x, frame);
}

// The lineups and the seed on the left, a key to the marks on the right,
// with its baseline at `y`.
void Footer(std::string &svg, const Plotinput &input, double y) {
  Text(svg, 20.0, y, "font-size=\"13\"", Lineupword(input.Lineups) + ", seed " + std::to_string(input.Seed));
  svg += "<rect x=\"560\" y=\"" + Coord(y - 11.0) + "\" width=\"14\" height=\"12\" fill=\"" + std::string(Barfill) +
         "\"/>\n";
  Text(svg, 580.0, y, "font-size=\"12.5\"", "lineups' values");
  Line(svg, 700.0, y - 12.0, 700.0, y + 2.0, Observedink, 2.5);
  Text(svg, 708.0, y, "font-size=\"12.5\"", "observed value");
}

// Small samples give few distinct values, often on a lattice that bins of
// a round width would alias into a comb: then one bar centred on each value,
// as wide as the closest two lie apart. False where that needs over `cap` bins.
bool Bindistinct(const std::vector<double> &sorted, double cap, Histogram &bars) {
  const double range = sorted.back() - sorted.front();
  double gap = range;
  for (std::size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i] - sorted[i - 1] > range * 1e-9) gap = std::min(gap, sorted[i] - sorted[i - 1]);
  const double count = std::floor(range / gap + 0.5) + 1.0;
  if (!(count <= cap)) return false;
  bars.Width = gap;
  bars.Lo = sorted.front() - gap / 2.0;
  bars.Counts.assign(static_cast<std::size_t>(count), 0);
  return true;
}

// Freedman-Diaconis width, rounded up to a round number so that edges fall
// on multiples of it, then widened until the bins fit under the cap.
void Binround(const std::vector<double> &sorted, double cap, Histogram &bars) {
  const double n = static_cast<double>(sorted.size()), low = sorted.front(), high = sorted.back();
  const auto quartile = [&](double q) { return sorted[static_cast<std::size_t>(q * (n - 1.0))]; };
  const double freedman = 2.0 * (quartile(0.75) - quartile(0.25)) / std::cbrt(n);
  double width = Nice(std::max(freedman, (high - low) / cap), false);
  double first = std::floor(low / width), count = std::floor(high / width) - first + 1.0;
  // Edges on multiples of the width can add one bin past the cap; a step up
  // the 1-2-5 ladder removes it.
  for (int k = 0; k < 4 && count > cap; ++k) {
    width = Nice(width * 1.5, false);
    first = std::floor(low / width);
    count = std::floor(high / width) - first + 1.0;
  }
  bars.Width = width;
  bars.Lo = first * width;
  bars.Counts.assign(static_cast<std::size_t>(std::clamp(count, 1.0, cap)), 0);
}

}  // namespace

Histogram Binvalues(const std::vector<double> &values) {
  Histogram bars;
  std::vector<double> finite;
  finite.reserve(values.size());
  std::copy_if(values.begin(), values.end(), std::back_inserter(finite), [](double v) { return std::isfinite(v); });
  bars.Notanumber =
      static_cast<std::int32_t>(std::count_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }));
  bars.Infinite = static_cast<std::int32_t>(values.size() - finite.size()) - bars.Notanumber;
  if (finite.empty()) return bars;
  std::sort(finite.begin(), finite.end());
  const double low = finite.front(), high = finite.back();
  if (!(high > low)) {  // all equal: a single bar centred on the value
    bars.Width = Nice(low != 0.0 ? std::abs(low) / 10.0 : 0.1, false);
    bars.Lo = low - bars.Width / 2.0;
    bars.Counts.assign(1, static_cast<std::int32_t>(finite.size()));
    return bars;
  }
  const double cap = std::min<double>(Maxbins, std::ceil(std::sqrt(static_cast<double>(finite.size()))));
  if (!Bindistinct(finite, cap, bars)) Binround(finite, cap, bars);
  const double last = static_cast<double>(bars.Counts.size() - 1);
  for (const double v : finite)
    ++bars.Counts[static_cast<std::size_t>(std::clamp(std::floor((v - bars.Lo) / bars.Width), 0.0, last))];
  return bars;
}

std::string Plotsvg(const Plotinput &input) {
  // A title and the localities, then rows of two panels of 306 pixels, then the footer.
  const double rows = static_cast<double>((input.Panels.size() + 1) / 2);
  const std::string height = Coord(70.0 + rows * 306.0 + 46.0);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"900\" height=\"" + height + "\" viewBox=\"0 0 900 " +
         height + "\" font-family=\"" + std::string(Fontstack) + "\" fill=\"" + Ink + "\">\n";
  // About 72 characters fit across the page in the title's bold type.
  const std::size_t pair = std::min<std::size_t>(Characters(input.Pair).size(), 20);
  std::string title = "Permutation test: " + Xmltext(input.File, pair > 0 ? 41 - pair : 54);
  if (pair > 0) title += ", localities " + Xmltext(input.Pair, 20);
  svg += "<title>Permutation test: " + Xmltext(input.File) + "</title>\n";
  svg += "<rect width=\"900\" height=\"" + height + "\" fill=\"#ffffff\"/>\n";
  Text(svg, 450.0, 30.0, "font-size=\"18\" font-weight=\"bold\" text-anchor=\"middle\"", title);
  Text(svg, 450.0, 52.0, "font-size=\"13\" text-anchor=\"middle\" fill=\"" + std::string(Softink) + "\"",
       Xmltext(input.Localities, 110));
  for (std::size_t i = 0; i < input.Panels.size(); ++i)
    Drawpanel(svg, input.Panels[i], input.Lineups, static_cast<double>(i % 2) * 450.0,
              70.0 + static_cast<double>(i / 2) * 306.0);
  Footer(svg, input, 70.0 + rows * 306.0 + 24.0);
  return svg + "</svg>\n";
}

}  // namespace halvik
