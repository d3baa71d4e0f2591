#include "cli/listing.h"

#include <cstdio>
#include <map>

#include <nlohmann/json.hpp>

#include "cli/tableout.h"
#include "cli/wholefile.h"

namespace halvik {

namespace {

using Json = nlohmann::ordered_json;

// The FILE's labels in file order, or why they cannot be had.
std::variant<std::vector<std::string>, Refusal> Labelsof(const Options &options, const std::string &file) {
  std::string bytes;
  Alignmentinput input = Alignmentinput::Fromfile(file);
  if (Isstdin(file)) {
    auto whole = Wholefile("/dev/stdin", true);
    if (auto *refusal = std::get_if<Refusal>(&whole)) return *refusal;
    bytes = std::get<std::string>(std::move(whole));
    input = Alignmentinput::Frombytes(bytes);
  }
  auto read = Readalignment(file, input, options.Inputformat);
  if (auto *refusal = std::get_if<Refusal>(&read)) return *refusal;
  return std::get<Sample>(std::move(read)).Data.Labels;
}

std::string Field(std::string text) {
  for (char &c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

int Listsequences(const Options &options, const Groupmap *groups) {
  std::map<std::string, std::string> locality;
  if (groups != nullptr)
    for (const auto &[label, name] : groups->Entries) locality.emplace(label, name);
  Textsink sink;
  if (options.Output.empty()) {
    sink.Fd = 1;
    sink.Lineflush = true;
  } else {
    Createfile(sink, options.Output, "the table");
  }
  if (options.Output.empty()) sink.What = "standard output";
  const bool json = options.Format == Tableformat::Json;
  Json rows = Json::array();
  if (!json) Writestr(sink, std::string("file\tnumber\tlabel") + (groups != nullptr ? "\tlocality\n" : "\n"));
  int status = 0;
  for (const std::string &file : options.Files) {
    auto labels = Labelsof(options, file);
    if (auto *refusal = std::get_if<Refusal>(&labels)) {
      std::fprintf(stderr, "halvik: %s: refused: %s\n", file.c_str(), refusal->Message.c_str());
      status = 1;
      continue;
    }
    const auto &list = std::get<std::vector<std::string>>(labels);
    for (std::size_t i = 0; i < list.size(); ++i) {
      const auto place = locality.find(list[i]);
      const std::string name = place == locality.end() ? "" : place->second;
      if (json) {
        Json row = {{"file", file}, {"number", i + 1}, {"label", list[i]}};
        if (groups != nullptr) row["locality"] = name;
        rows.push_back(row);
        continue;
      }
      Writestr(sink, Field(file) + "\t" + std::to_string(i + 1) + "\t" + Field(list[i]) +
                         (groups != nullptr ? "\t" + Field(name) : "") + "\n");
    }
  }
  if (json) Writestr(sink, rows.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  Deliver(sink);
  if (sink.Fd != 1) Closefile(sink);
  return status;
}

}  // namespace halvik
