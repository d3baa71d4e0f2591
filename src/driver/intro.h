// The banner, the choice of the sequence file and the results file.
#pragma once

namespace halvik {

// Seeds the random source, shows the banner and the format description, asks
// for a usable file name, checks that the file can be read and is not empty,
// and creates the results file. Raises a fatal data error for a file that
// cannot be read or holds nothing.
void Intro();

}  // namespace halvik
