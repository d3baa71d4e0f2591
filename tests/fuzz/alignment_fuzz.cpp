// Any bytes, read in every format and by recognition, give a sample or a
// one-line refusal, and the same in pieces of a few bytes as whole. A
// sample's native text passes a plain reading of Halvik's format written
// apart from the module, and reads back as the same sample. The bytes are
// also read as a locality map and arranged against a sample.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/alignment.h"
#include "nativetext.h"
#include "alignment/groups.h"
#include "driver/console/failure.h"
#include "seqfile/verify.h"

namespace {

using namespace halvik;

void Require(bool holds) {
  if (!holds) std::abort();
}

// Halvik's format, plainly: 2 to 1000 lines "label SP+ bases", a label without
// blanks of at most 254 bytes, bases from ACGTN-, all of one length from 1 to
// 100000, every line ended by a line feed, no carriage return anywhere.
bool Plainnative(std::string_view text) {
  if (text.empty() || text.back() != '\n' || text.find('\r') != std::string_view::npos) return false;
  std::size_t lines = 0, length = 0;
  while (!text.empty()) {
    const std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(line.size() + 1);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank > 254) return false;
    const std::size_t bases = line.find_first_not_of(' ', blank);
    if (bases == std::string_view::npos) return false;
    const std::string_view sequence = line.substr(bases);
    if (sequence.find_first_not_of("ACGTN-") != std::string_view::npos) return false;
    if (++lines == 1) length = sequence.size();
    if (sequence.size() != length || length > 100000) return false;
  }
  return lines >= 2 && lines <= 1000;
}

void Checkrefusal(const Refusal &refusal, std::string_view name) {
  Require(refusal.Message.rfind(std::string(name), 0) == 0);
  Require(refusal.Message.find('\n') == std::string::npos);
}

// Halvik's own reader, the one that analyses the converted text, accepts it.
void Checkverified(const std::string &text) {
  Verifyreporter quiet;
  try {
    Verifysequences(Sequencesource{"converted", &text}, Pop, quiet);
  } catch (const Fatalerror &) {
    std::abort();
  }
}

// Every record holds the bytes Packedsample gives it, the spare ones zero.
void Checkpacked(const Packedsample &data) {
  Require(data.Count() >= 2 && data.Count() <= 1000 && data.Length >= 1 && data.Length <= 100000);
  Require(data.Codes.size() == data.Labels.size());
  for (const std::vector<std::uint8_t> &codes : data.Codes) {
    Require(codes.size() == Packedbytes(data.Length) + 2);
    for (int p = 1; p <= data.Length; ++p) Require(Getcode(codes.data(), p) <= 5);
    for (int p = data.Length + 1; 3 * (p - 1) + 3 <= 8 * static_cast<int>(codes.size()); ++p)
      Require(Getcode(codes.data(), p) == 0);
  }
}

void Checksample(const Sample &sample) {
  Checkpacked(sample.Data);
  const std::string text = Nativetext(sample);
  Require(Plainnative(text));
  Checkverified(text);
  Require(Conversionnote(sample).find('\n') == std::string::npos);
  Alignmentinput input = Alignmentinput::Frombytes(text);
  const auto again = Readalignment("again", input, Alignmentformat::Native);
  const Sample *same = std::get_if<Sample>(&again);
  Require(same && same->Data.Labels == sample.Data.Labels && same->Data.Codes == sample.Data.Codes);
  Require(Conversionnote(*same).empty());
}

bool Samemade(const Conversions &a, const Conversions &b) {
  return a.Lowercase == b.Lowercase && a.Ambiguous == b.Ambiguous && a.Carriagereturns == b.Carriagereturns &&
         a.Matches == b.Matches && a.Gaps == b.Gaps && a.Labelscut == b.Labelscut;
}

// The same reading with the bytes handed out a few at a time.
void Checkpieces(std::string_view content, std::optional<Alignmentformat> forced,
                 const std::variant<Sample, Refusal> &whole) {
  Alignmentinput input = Alignmentinput::Frombytes(content, 1 + content.size() % 7);
  const auto read = Readalignment("input", input, forced);
  Require(read.index() == whole.index());
  if (const Refusal *refusal = std::get_if<Refusal>(&read))
    return Require(refusal->Message == std::get<Refusal>(whole).Message);
  const Sample &a = std::get<Sample>(read), &b = std::get<Sample>(whole);
  Require(a.Format == b.Format && a.Data.Labels == b.Data.Labels && a.Data.Codes == b.Data.Codes);
  Require(Samemade(a.Made, b.Made));
}

void Checkarrangement(const Sample &sample, const Groupmap &map) {
  const auto arranged = Arrange(sample.Data.Labels, map, "map");
  if (const Refusal *refusal = std::get_if<Refusal>(&arranged)) return Checkrefusal(*refusal, "map");
  const Arrangement &arrangement = std::get<Arrangement>(arranged);
  std::vector<std::int32_t> order = arrangement.Order;
  std::sort(order.begin(), order.end());
  for (std::size_t i = 0; i < order.size(); ++i) Require(order[i] == static_cast<std::int32_t>(i));
  Require(order.size() == sample.Data.Labels.size() && arrangement.Names.size() <= 30);
  Require(arrangement.Starts.size() == arrangement.Names.size() && arrangement.Starts.front() == 1);
  for (std::size_t k = 0; k < arrangement.Starts.size(); ++k) {
    const std::int32_t end =
        k + 1 < arrangement.Starts.size() ? arrangement.Starts[k + 1] : static_cast<std::int32_t>(order.size()) + 1;
    Require(end - arrangement.Starts[k] >= 2);
  }
  Packedsample copy = sample.Data;
  const Packedsample reordered = Reordered(std::move(copy), arrangement);
  for (std::size_t i = 0; i < order.size(); ++i)
    Require(reordered.Labels[i] == sample.Data.Labels[static_cast<std::size_t>(arrangement.Order[i])]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char *>(data), size);
  std::optional<Sample> detected;
  for (const auto forced : {std::optional<Alignmentformat>{}, std::optional{Alignmentformat::Native},
                            std::optional{Alignmentformat::Fasta}, std::optional{Alignmentformat::Phylip},
                            std::optional{Alignmentformat::Nexus}, std::optional{Alignmentformat::Clustal}}) {
    Alignmentinput input = Alignmentinput::Frombytes(content);
    const auto read = Readalignment("input", input, forced);
    Checkpieces(content, forced, read);
    if (const Refusal *refusal = std::get_if<Refusal>(&read)) {
      Checkrefusal(*refusal, "input");
      continue;
    }
    const Sample &sample = std::get<Sample>(read);
    Require(!forced || sample.Format == *forced);
    Checksample(sample);
    if (!forced) detected = sample;
  }
  const auto map = Readgroups("map", content);
  if (const Refusal *refusal = std::get_if<Refusal>(&map)) {
    Checkrefusal(*refusal, "map");
    return 0;
  }
  // Against a sample of the map's own labels, which reaches the arrangements
  // themselves, and against the sample the bytes gave, if any.
  const Groupmap &groups = std::get<Groupmap>(map);
  Sample own{Alignmentformat::Native, {}, {}};
  own.Data.Length = 1;
  for (const auto &[label, place] : groups.Entries) {
    own.Data.Labels.push_back(label);
    own.Data.Codes.emplace_back(Packedbytes(1) + 2);
  }
  Checkarrangement(own, groups);
  if (detected) Checkarrangement(*detected, groups);
  return 0;
}
