#include "scan/report.h"

#include <unistd.h>

#include "scan/table.h"

namespace halvik {

Destinations::Destinations(const Scanoptions &options) : Format(options.Format), Table(options.Output) {
  if (!options.Plot.empty()) Picture = std::make_unique<Outputfile>(options.Plot);
  if (!Format && (!options.Output.empty() || !::isatty(STDOUT_FILENO))) Format = Scanformat::Tsv;
}

void Report(Spool &spool, Qvalues &qvalues, const Runinfo &run, Destinations &to, const std::string &title) {
  qvalues.Compute();
  spool.Rewind();
  const bool json = to.Format == Scanformat::Json, summary = !to.Format;
  to.Table.Write(json ? "[" : summary ? Summaryheader() : Scanheader(run.Stopafter > 0));
  Windowresult row;
  for (std::int64_t i = 0; spool.Next(row); ++i) {
    const Qrow q = qvalues.Of(row, run);
    if (json)
      to.Table.Write((i ? ",\n" : "\n") +
                     Scanjson(row, q, run).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
    else
      to.Table.Write(summary ? Summaryrow(row, run) : Scanrow(row, q, run));
    if (to.Picture) to.Plot.Add(row, run, q[Kstat]);
  }
  if (json) to.Table.Write(spool.Rows() ? "\n]\n" : "]\n");
  if (summary)
    to.Table.Write("\n" + std::to_string(spool.Rows()) +
                   " windows; every column (counts, q-values, notes) with -f tsv, -f json or -o FILE\n");
  if (to.Picture) {
    to.Picture->Write(to.Plot.Svg(title, run));
    to.Picture->Commit();
  }
  to.Table.Commit();
}

}  // namespace halvik
