// What --help and --version print, in the GNU form help2man reads.
#pragma once

namespace halvik {

extern const char *const Helptext;
extern const char *const Usageline;  // the short usage after a usage error

// "halvik VERSION" and the licence.
const char *Versiontext();

}  // namespace halvik
