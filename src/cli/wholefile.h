// Reading a file the command line names: whole, or only its start.
#pragma once
#include <optional>
#include <string>
#include <variant>

#include "alignment/alignment.h"

namespace halvik {

// The file's bytes, or why they cannot be had (it cannot be opened or read,
// it is larger than 1 GiB, or, unless `emptyok`, it is empty).
std::variant<std::string, Refusal> Wholefile(const std::string &name, bool emptyok = false);

// The format of the file, recognised from its start, or why it cannot be read.
std::variant<Alignmentformat, Refusal> Detectfile(const std::string &name);

}  // namespace halvik
