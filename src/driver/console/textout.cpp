#include "driver/console/textout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "driver/console/failure.h"

namespace halvik {

namespace {

// Console text is held back until a read or a full buffer; this bounds it.
constexpr std::size_t Deliverthreshold = 1 << 16;

void Afterwrite(Textsink &sink, std::string_view text) {
  if (sink.Lineflush ? text.find('\n') != std::string_view::npos : sink.Pending.size() >= Deliverthreshold)
    Deliver(sink);
}

void Pad(Textsink &sink, std::size_t length, int width) {
  if (width > 0 && length < static_cast<std::size_t>(width))
    sink.Pending.append(static_cast<std::size_t>(width) - length, ' ');
}

}  // namespace

void Deliver(Textsink &sink) {
  if (sink.Pending.empty()) return;
  if (sink.Discard) {
    sink.Pending.clear();
    return;
  }
  if (sink.Memory != nullptr) {
    sink.Memory->append(sink.Pending);
    sink.Pending.clear();
    return;
  }
  if (sink.Fd < 0) {
    sink.Pending.clear();
    throw Ioerror("cannot write to " + sink.What + ": it is not open");
  }
  const char *p = sink.Pending.data();
  std::size_t left = sink.Pending.size();
  while (left > 0) {
    ssize_t n = ::write(sink.Fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::string reason = n < 0 ? std::strerror(errno) : "nothing was written";
      sink.Pending.clear();
      throw Ioerror("cannot write to " + sink.What + ": " + reason);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  sink.Pending.clear();
}

void Createfile(Textsink &sink, const std::string &name, const std::string &what) {
  Closefile(sink);
  sink.What = what + " \"" + name + "\"";
  sink.Lineflush = true;
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw Ioerror("cannot create " + sink.What + ": " + std::strerror(errno));
  sink.Fd = fd;
}

void Closefile(Textsink &sink) {
  if (sink.Fd < 0) return;
  int fd = sink.Fd;
  try {
    Deliver(sink);
  } catch (...) {
    ::close(fd);
    sink.Fd = -1;
    throw;
  }
  sink.Fd = -1;
  if (::close(fd) != 0 && errno != EINTR) throw Ioerror("cannot close " + sink.What + ": " + std::strerror(errno));
}

std::string Realtext(double x, int decimals) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "Inf" : "-Inf";
  const bool negative = x < 0.0;  // -0.0 is not below zero
  double a = std::fabs(x);
  double s = 1.0;
  int e = 0;
  if (a >= 1.0)
    while (!(s > a / 10.0)) {
      s *= 10.0;
      ++e;
    }
  // Digits one by one from the left, the remainder scaled up by ten each time.
  std::string digits;
  const int count = e + 1 + (decimals > 0 ? decimals : 0);
  digits.reserve(static_cast<std::size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    double q = std::trunc(a / s);
    int d = q > 9.0 ? 9 : static_cast<int>(q);
    if (d < 0) d = 0;
    double taken = static_cast<double>(d) * s;
    a = (a - taken) * 10.0;
    digits.push_back(static_cast<char>('0' + d));
  }
  if (a >= 5.0 * s) {
    int i = count - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i >= 0) {
      ++digits[static_cast<std::size_t>(i)];
    } else {
      digits.insert(digits.begin(), '1');
      ++e;
    }
  }
  std::string text = negative ? "-" : "";
  text.append(digits, 0, static_cast<std::size_t>(e + 1));
  if (decimals > 0) {
    text.push_back('.');
    text.append(digits, static_cast<std::size_t>(e + 1), std::string::npos);
  }
  return text;
}

void Writestr(Textsink &sink, std::string_view text) {
  sink.Pending.append(text);
  Afterwrite(sink, text);
}

void Writestr(Textsink &sink, std::string_view text, int width) {
  if (width > 0 && text.size() > static_cast<std::size_t>(width))
    text = text.substr(0, static_cast<std::size_t>(width));
  Pad(sink, text.size(), width);
  Writestr(sink, text);
}

void Writech(Textsink &sink, char c) { Writestr(sink, std::string_view(&c, 1)); }

void Writech(Textsink &sink, char c, int width) {
  Pad(sink, 1, width);
  Writech(sink, c);
}

void Writeint(Textsink &sink, std::int64_t value, int width) {
  std::string text = std::to_string(value);
  Pad(sink, text.size(), width);
  Writestr(sink, text);
}

void Writereal(Textsink &sink, double x, int width, int decimals) {
  std::string text = Realtext(x, decimals);
  Pad(sink, text.size(), width);
  Writestr(sink, text);
}

void Writeln(Textsink &sink) { Writech(sink, '\n'); }

}  // namespace halvik
