#include "scan/scan.h"

#include <csignal>
#include <cstdio>
#include <new>
#include <string>

#include "cli/help.h"
#include "driver/console/failure.h"
#include "scan/options.h"
#include "scan/run.h"

namespace halvik {

namespace {

void Say(const std::string &text) { std::fputs(("halvik scan: " + text + "\n").c_str(), stderr); }

int Usage(const std::string &problem) {
  if (!problem.empty()) Say(problem);
  std::fputs(Scanusageline, stderr);
  return Usagestatus;
}

int Helporversion(const Scanoptions &options) {
  std::fputs(options.Help ? Scanhelptext : Versiontext(), stdout);
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : Ioerrorstatus;
}

}  // namespace

int Runscan(int argc, char **argv) {
  // A reader that has gone, or a file past the size limit, must fail a
  // write (status 42 with a report), not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  auto parsed = Parsescanoptions(argc, argv);
  if (const auto *error = std::get_if<Scanusage>(&parsed)) return Usage(error->Message);
  const Scanoptions &options = std::get<Scanoptions>(parsed);
  if (options.Help || options.Version) return Helporversion(options);
  try {
    return options.Merge ? Mergetables(options) : Scanvcf(options);
  } catch (const Scanstop &stop) {
    return stop.Status == Usagestatus ? Usage(stop.Message) : (Say(stop.Message), stop.Status);
  } catch (const Fatalerror &refusal) {
    Say(refusal.Message);
    return Refusedstatus;
  } catch (const Ioerror &failure) {
    Say(failure.what());
    return Ioerrorstatus;
  } catch (const std::bad_alloc &) {
    Say("not enough memory to go on");
    return Ioerrorstatus;
  }
}

}  // namespace halvik
