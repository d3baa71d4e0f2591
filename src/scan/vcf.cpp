#include "scan/vcf.h"

#include <htslib/bgzf.h>
#include <htslib/hts.h>
#include <htslib/kstring.h>
#include <htslib/tbx.h>
#include <htslib/vcf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "driver/console/failure.h"
#include "scan/samples.h"

namespace halvik {

struct Vcfsource::Handles {
  htsFile *File = nullptr;
  bcf_hdr_t *Header = nullptr;
  bcf1_t *Record = nullptr;
  kstring_t Text = KS_INITIALIZE;
  tbx_t *Tabix = nullptr;
  hts_idx_t *Index = nullptr;  // a BCF's
  hts_itr_t *Iterator = nullptr;
  Gtbuffer Gt;
  ~Handles() {
    if (Iterator) hts_itr_destroy(Iterator);
    if (Tabix) tbx_destroy(Tabix);
    if (Index) hts_idx_destroy(Index);
    if (Record) bcf_destroy(Record);
    if (Header) bcf_hdr_destroy(Header);
    if (File) hts_close(File);
    ks_free(&Text);
  }
};

namespace {

// The header of a VCF text: its lines up to #CHROM, parsed by htslib. Counts
// the lines, so that records can be named by theirs.
std::string Readtextheader(htsFile *file, bcf_hdr_t *&header, std::int64_t &lines) {
  std::string text;
  kstring_t line = KS_INITIALIZE;
  int got;
  while ((got = hts_getline(file, '\n', &line)) >= 0) {
    ++lines;
    if (line.l == 0 || line.s[0] != '#') break;
    text.append(line.s, line.l).push_back('\n');
    if (std::strncmp(line.s, "#CHROM", 6) == 0) break;
  }
  const bool complete = got >= 0 && line.l >= 6 && std::strncmp(line.s, "#CHROM", 6) == 0;
  ks_free(&line);
  if (!complete) return got < -1 ? "cannot be read: corrupt compressed data" : "the header has no #CHROM line";
  header = bcf_hdr_init("r");
  if (header == nullptr || bcf_hdr_parse(header, text.data()) != 0) return "malformed header";
  return "";
}

std::string Openproblem(Vcfsource::Handles &io, bool &binary, std::int64_t &lines) {
  const htsFormat *format = hts_get_format(io.File);
  if (format->format != vcf && format->format != bcf) return "not a VCF or BCF file";
  binary = format->format == bcf;
  if (hts_check_EOF(io.File) == 0) return "ends early: the compressed file has no end-of-file block";
  std::string problem;
  if (binary) {
    io.Header = bcf_hdr_read(io.File);
    if (io.Header == nullptr) problem = "malformed header";
  } else {
    problem = Readtextheader(io.File, io.Header, lines);
  }
  if (problem.empty() && bcf_hdr_nsamples(io.Header) == 0) problem = "no samples: the scan needs genotypes";
  io.Record = bcf_init();
  return problem;
}

// The header's sample names: none empty, none twice, none holding a
// character below a blank (htslib passes a header with empty names as
// names holding tabs and line ends).
std::string Nameproblem(const std::vector<std::string> &names) {
  std::set<std::string_view> seen;
  for (const std::string &name : names) {
    if (name.empty() ||
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < ' '; }))
      return "the header's sample names are malformed: an empty name, or one holding a tab or a control character";
    if (!seen.insert(name).second) return "sample " + name + " is named twice in the header";
  }
  return "";
}

}  // namespace

std::variant<std::unique_ptr<Vcfsource>, Refusal> Vcfsource::Open(const std::string &name) {
  hts_set_log_level(HTS_LOG_OFF);  // every fault is reported here, naming the file
  std::unique_ptr<Vcfsource> source(new Vcfsource());
  source->Name = name;
  source->Io = std::make_unique<Handles>();
  errno = 0;
  source->Io->File = hts_open(name.c_str(), "r");
  if (source->Io->File == nullptr)
    return Refusal{name + ": cannot be read" + (errno ? std::string(": ") + std::strerror(errno) : "")};
  const std::string problem = Openproblem(*source->Io, source->Binary, source->Line);
  if (!problem.empty()) return Refusal{name + ": " + problem};
  for (int s = 0; s < bcf_hdr_nsamples(source->Io->Header); ++s)
    source->Names.emplace_back(source->Io->Header->samples[s]);
  if (const std::string names = Nameproblem(source->Names); !names.empty()) return Refusal{name + ": " + names};
  struct stat status;
  if (::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode)) source->Size = status.st_size;
  return source;
}

Vcfsource::~Vcfsource() = default;

void Vcfsource::Choose(const std::vector<std::int32_t> &columns) {
  Chosen = columns;
  Checks.Names.clear();
  Checks.Slots.assign(Names.size(), -1);
  for (std::size_t s = 0; s < columns.size(); ++s) {
    Checks.Names.push_back(Names[static_cast<std::size_t>(columns[s])]);
    Checks.Slots[static_cast<std::size_t>(columns[s])] = static_cast<std::int32_t>(s);
  }
}

bool Vcfsource::Restrict(const std::vector<Readspan> &spans) {
  if (Binary)
    Io->Index = hts_idx_load3(Name.c_str(), nullptr, HTS_FMT_CSI, HTS_IDX_SILENT_FAIL);
  else if (hts_get_format(Io->File)->compression == bgzf)
    Io->Tabix = tbx_index_load3(Name.c_str(), nullptr, HTS_IDX_SILENT_FAIL);
  if (Io->Index == nullptr && Io->Tabix == nullptr) return false;
  // Chromosomes in the index's order; a chromosome it lacks has no records.
  auto order = [&](const std::string &chrom) {
    return Binary ? bcf_hdr_name2id(Io->Header, chrom.c_str()) : tbx_name2id(Io->Tabix, chrom.c_str());
  };
  std::vector<std::pair<int, Readspan>> ordered;
  for (const Readspan &span : spans)
    if (const int id = order(span.Chrom); id >= 0) ordered.emplace_back(id, span);
  std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) {
    return a.first != b.first ? a.first < b.first : a.second.From < b.second.From;
  });
  Spans.clear();
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    const Readspan &span = ordered[i].second;
    if (i > 0 && ordered[i - 1].first == ordered[i].first && span.From <= Spans.back().To + 1)
      Spans.back().To = std::max(Spans.back().To, span.To);
    else
      Spans.push_back(span);
  }
  std::reverse(Spans.begin(), Spans.end());
  Indexed = true;
  return true;
}

bool Vcfsource::Nextspan() {
  if (Io->Iterator) hts_itr_destroy(Io->Iterator);
  Io->Iterator = nullptr;
  if (Spans.empty()) return false;
  Current = Spans.back();
  Spans.pop_back();
  const hts_pos_t from = Current.From - 1, to = std::min<std::int64_t>(Current.To, HTS_POS_MAX);
  if (Binary)
    Io->Iterator = bcf_itr_queryi(Io->Index, bcf_hdr_name2id(Io->Header, Current.Chrom.c_str()), from, to);
  else
    Io->Iterator = tbx_itr_queryi(Io->Tabix, tbx_name2id(Io->Tabix, Current.Chrom.c_str()), from, to);
  if (Io->Iterator == nullptr) Refuse("its index cannot be read for " + Current.Chrom);
  return true;
}

std::string Vcfsource::Where() const {
  if (Indexed) return "the record at " + Current.Chrom + ":" + std::to_string(Lastposition);
  return (Binary ? "record " : "line ") + std::to_string(Line);
}

void Vcfsource::Refuse(const std::string &problem) const { Raisefatal(Name + ": " + Where() + ": " + problem); }

bool Vcfsource::Readtext(Vcfrecord &record, std::string_view &chrom) {
  kstring_t &text = Io->Text;
  int got;
  do {
    got = Io->Iterator ? tbx_itr_next(Io->File, Io->Tabix, Io->Iterator, &text) : hts_getline(Io->File, '\n', &text);
    if (got < -1) Refuse("cannot be read past here: corrupt or truncated data");
    if (got == -1) return false;
    ++Line;
    if (text.l > 0 && text.s[text.l - 1] == '\r') text.s[--text.l] = '\0';
  } while (text.l == 0);
  if (text.s[0] == '#') Refuse("a header line among the records");
  if (!Parseline(std::string_view(text.s, text.l), 9 + Names.size(), Checks, record, chrom)) Refuse(Checks.Problem);
  return true;
}

bool Vcfsource::Readbinary(Vcfrecord &record, std::string_view &chrom) {
  const int got =
      Io->Iterator ? bcf_itr_next(Io->File, Io->Iterator, Io->Record) : bcf_read(Io->File, Io->Header, Io->Record);
  if (got == -1) return false;
  ++Line;
  constexpr int Harmless = BCF_ERR_CTG_UNDEF | BCF_ERR_TAG_UNDEF;
  if (got < -1 || (Io->Record->errcode & ~Harmless) != 0) Refuse("malformed or truncated record");
  chrom = bcf_seqname_safe(Io->Header, Io->Record);
  if (!Convertbinary(Io->Header, Io->Record, Chosen, Checks, record, Io->Gt)) Refuse(Checks.Problem);
  return true;
}

void Vcfsource::Sorted(const Vcfrecord &record, std::string_view chrom, std::int32_t &index) {
  if (Chroms.empty() || Chroms.back() != chrom) {
    if (std::find(Chroms.begin(), Chroms.end(), chrom) != Chroms.end())
      Refuse("chromosome " + std::string(chrom) + " again after " + Chroms.back() +
             ": the records are not sorted by chromosome");
    Chroms.emplace_back(chrom);
  } else if (record.Position < Lastposition) {
    Refuse("position " + std::to_string(record.Position) + " after " + std::to_string(Lastposition) +
           ": the records are not sorted by position");
  }
  Lastposition = record.Position;
  index = static_cast<std::int32_t>(Chroms.size()) - 1;
}

bool Vcfsource::Next(Vcfrecord &record, std::int32_t &chrom) {
  for (;;) {
    if (Indexed && Io->Iterator == nullptr && !Nextspan()) return false;
    std::string_view name;
    if (!(Binary ? Readbinary(record, name) : Readtext(record, name))) {
      if (!Indexed) return false;
      hts_itr_destroy(Io->Iterator);
      Io->Iterator = nullptr;
      continue;
    }
    // A record reaching into a span from before it was read with the span before.
    if (Indexed && (record.Position < Current.From || record.Position > Current.To)) continue;
    Sorted(record, name, chrom);
    const std::size_t haplotypes = Chosen.size() * static_cast<std::size_t>(Checks.Ploidy);
    if (haplotypes > static_cast<std::size_t>(Mosthaplotypes))
      Refuse(std::to_string(haplotypes) + " haplotypes (" + std::to_string(Chosen.size()) + " samples in the map, " +
             std::to_string(Checks.Ploidy) + " alleles a call): more than 1000");
    return true;
  }
}

std::int64_t Vcfsource::Bytesread() const {
  BGZF *stream = hts_get_bgzfp(Io->File);
  return stream ? static_cast<std::int64_t>(bgzf_tell(stream) >> 16) : 0;
}

}  // namespace halvik
