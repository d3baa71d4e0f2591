// The readers of each format: each walks the lines by its format's layout,
// collects the records with Collected, and raises Badinput at the first thing
// it cannot read. The checks common to all (count, lengths) follow in Finish.
#pragma once
#include "alignment/alignment.h"
#include "alignment/collect.h"
#include "alignment/lines.h"

namespace halvik {

// What the start of a file says: whether it holds anything but white space,
// and the format it looks like (see Detect).
struct Firstline {
  bool Empty;
  Alignmentformat Format;
};
Firstline Scan(Alignmentinput &input);

void Readnative(Linereader &lines, Collected &records);
void Readfasta(Linereader &lines, Collected &records);
void Readclustal(Linereader &lines, Collected &records);
void Readphylip(Linereader &lines, Collected &records);
void Readnexus(Linereader &lines, Collected &records);

}  // namespace halvik
