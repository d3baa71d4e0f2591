// The readers of each format: each walks the cleaned text by its format's
// layout, collects the records with Collected, and raises Badinput at the
// first thing it cannot read. The checks common to all (count, lengths)
// follow in Readalignment.
#pragma once
#include <string_view>

#include "alignment/alignment.h"
#include "alignment/collect.h"

namespace halvik {

// The format the content looks like: leading blank lines and a byte-order mark
// skipped, then `>` FASTA, `#NEXUS` NEXUS, a CLUSTAL or MUSCLE header CLUSTAL,
// two positive integers PHYLIP, anything else native.
Alignmentformat Detect(std::string_view content);

void Readnative(std::string_view text, Collected &records);
void Readfasta(std::string_view text, Collected &records);
void Readclustal(std::string_view text, Collected &records);
void Readphylip(std::string_view text, Collected &records);
void Readnexus(std::string_view text, Collected &records);

}  // namespace halvik
