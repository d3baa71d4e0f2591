#include <algorithm>
#include <cctype>

#include "alignment/formats.h"

namespace halvik {

namespace {

// A word of NEXUS text and the line it starts on. ; and = are words of their
// own; a quoted word comes unquoted; End marks the end of the text.
struct Word {
  std::string Text;
  std::int64_t Line = 0;
  bool Quoted = false, End = false;
  bool Is(std::string_view upper) const {
    return !Quoted && Text.size() == upper.size() &&
           std::equal(Text.begin(), Text.end(), upper.begin(),
                      [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
  }
};

// NEXUS text read a line at a time: At == Text.size() stands on the line
// feed that ends the current line. Past the last line, Line is one more than
// the number of lines, as a count of line feeds passed gives it.
struct Nexustext {
  Linereader &Lines;
  std::string_view Text;
  std::size_t At = 0;
  std::int64_t Line = 1;
  bool Ended = false;

  explicit Nexustext(Linereader &lines) : Lines(lines) { Ended = !Lines.Next(Text); }

  // Past the line feed to the next line; false at the end of the text.
  bool Advance() {
    At = 0;
    Ended = !Lines.Next(Text);
    Line = Lines.Number + Ended;
    if (Ended) Text = {};
    return !Ended;
  }

  // Past a comment, which may nest and run over lines.
  void Skipcomment() {
    const std::int64_t start = Line;
    for (int depth = 0;;) {
      if (At == Text.size()) {
        if (!Advance()) Refuse(start, "a comment that is never closed");
        continue;
      }
      depth += (Text[At] == '[') - (Text[At] == ']');
      if (depth == 0) break;
      ++At;
    }
    ++At;
  }

  // Skips blanks, line ends and [comments].
  void Skip() {
    while (!Ended) {
      if (At == Text.size()) {
        Advance();
      } else if (Text[At] == '[') {
        Skipcomment();
      } else if (Isspace(Text[At])) {
        ++At;
      } else {
        return;
      }
    }
  }

  // Whether the next character that is no blank or comment is `c`.
  bool Nextis(char c) {
    Skip();
    return !Ended && Text[At] == c;
  }

  // Whether the next word stands on `line` and is no ;.
  bool Continues(std::int64_t line) {
    Skip();
    return !Ended && Line == line && Text[At] != ';';
  }

  // A quoted word, At on its opening quote; '' stands for one quote.
  void Readquoted(Word &word) {
    word.Quoted = true;
    for (++At;;) {
      if (At == Text.size()) {
        if (!Advance()) Refuse(word.Line, "a quoted word that is never closed");
        word.Text += '\n';
        continue;
      }
      if (Text[At] == '\'' && (At + 1 == Text.size() || Text[At + 1] != '\'')) break;
      At += Text[At] == '\'';
      word.Text += Text[At++];
    }
    ++At;
  }

  Word Next() {
    Skip();
    Word word{"", Line};
    if (Ended) {
      word.End = true;
    } else if (Text[At] == ';' || Text[At] == '=') {
      word.Text = Text[At++];
    } else if (Text[At] == '\'') {
      Readquoted(word);
    } else {
      const std::size_t end = std::min(Text.find_first_of(" \t\n\r\f\v;=['", At), Text.size());
      word.Text = Text.substr(At, end - At);
      At = end;
    }
    return word;
  }
};

struct Settings {
  std::size_t Taxa = 0, Characters = 0;
  Symbols Special;
  bool Interleaved = false;
};

std::size_t Positive(const Word &word, const char *key) {
  std::string_view text = word.Text;
  const std::size_t value = Number(text);
  if (value == 0 || !text.empty()) Refuse(word.Line, std::string(key) + " should be a positive integer");
  return value;
}

char Symbol(const Word &word, const char *key) {
  if (word.Text.size() != 1) Refuse(word.Line, std::string(key) + " should be one character");
  return word.Text[0];
}

// Reads the settings of a DIMENSIONS or FORMAT command up to its ;.
void Readsettings(Nexustext &nexus, Settings &settings) {
  for (Word key = nexus.Next(); !key.Is(";"); key = nexus.Next()) {
    if (key.End) Refuse(key.Line, "the file ends inside a command");
    Word value;
    if (nexus.Nextis('=')) {
      nexus.Next();
      value = nexus.Next();
      if (value.End || value.Is(";")) Refuse(key.Line, "no value after " + key.Text + "=");
    }
    if (key.Is("NTAX")) settings.Taxa = Positive(value, "NTAX");
    if (key.Is("NCHAR")) settings.Characters = Positive(value, "NCHAR");
    if (key.Is("MISSING")) settings.Special.Missing = Symbol(value, "MISSING");
    if (key.Is("GAP")) settings.Special.Gap = Symbol(value, "GAP");
    if (key.Is("MATCHCHAR")) settings.Special.Match = Symbol(value, "MATCHCHAR");
    if (key.Is("INTERLEAVE")) settings.Interleaved = !value.Is("NO");
    if (key.Is("TRANSPOSE") || key.Is("NOLABELS")) Refuse(key.Line, key.Text + " matrices are not supported");
  }
}

// Each sequence whole before the next: its label, then NCHAR characters over
// as many lines as it takes.
void Readsequential(Nexustext &nexus, const Settings &settings, Collected &records) {
  for (std::size_t r = 0; r < settings.Taxa; ++r) {
    const Word label = nexus.Next();
    if (label.End || label.Is(";"))
      Refuse(label.Line, "the matrix ends after " + std::to_string(r) + " of the " + std::to_string(settings.Taxa) +
                             " sequences NTAX declares");
    records.Addrecord(label.Text, label.Line, true);
    while (records.Lengths[r] < settings.Characters) {
      const Word bases = nexus.Next();
      if (bases.End || bases.Is(";"))
        Refuse(bases.Line, "the matrix ends before sequence " + Shown(records.Data.Labels[r]) + " has its " +
                               std::to_string(settings.Characters) + " characters");
      records.Addbases(r, bases.Text, bases.Line, true, settings.Special);
      Checklength("DIMENSIONS", records, r, settings.Characters, bases.Line, false);
    }
  }
  const Word end = nexus.Next();
  if (!end.Is(";")) Refuse(end.Line, "more in the matrix than NTAX sequences of NCHAR characters");
}

// Blocks of lines "label characters", one per sequence in the same order in
// every block, up to the ; that ends the matrix.
void Readinterleaved(Nexustext &nexus, const Settings &settings, Collected &records) {
  std::vector<std::string> labels;  // as written, to match the rows of later blocks
  std::size_t row = 0;
  for (Word label = nexus.Next(); !label.Is(";"); label = nexus.Next(), ++row) {
    if (label.End) Refuse(label.Line, "the matrix has no ; at its end");
    const std::size_t r = row % settings.Taxa;
    if (row < settings.Taxa) {
      records.Addrecord(label.Text, label.Line, true);
      labels.push_back(std::move(label.Text));
    } else if (label.Text != labels[r]) {
      Refuse(label.Line,
             "a row of " + Shown(records.Data.Labels[r]) + " should stand here, by the order of the first block");
    }
    while (nexus.Continues(label.Line)) {
      const Word bases = nexus.Next();
      records.Addbases(r, bases.Text, bases.Line, true, settings.Special);
    }
    Checklength("DIMENSIONS", records, r, settings.Characters, label.Line, false);
  }
  if (row % settings.Taxa != 0 || row == 0) Refuse(nexus.Line, "the last block lacks the rows of some sequences");
  for (std::size_t r = 0; r < settings.Taxa; ++r)
    Checklength("DIMENSIONS", records, r, settings.Characters, records.Lines[r], true);
}

}  // namespace

// The MATRIX of the first DATA or CHARACTERS block, with its DIMENSIONS and
// FORMAT; NTAX may come from a TAXA block instead. Other blocks and commands
// are passed over.
void Readnexus(Linereader &lines, Collected &records) {
  Nexustext nexus(lines);
  const Word mark = nexus.Next();
  if (!mark.Is("#NEXUS")) Refuse(mark.Line, "a NEXUS file starts with #NEXUS");
  Settings settings;
  Word block;
  while (true) {
    Word command = nexus.Next();
    if (command.End) Refuse(0, "no MATRIX in a DATA or CHARACTERS block");
    if (command.Is(";")) continue;
    const bool data = block.Is("DATA") || block.Is("CHARACTERS");
    if (command.Is("BEGIN")) {
      block = nexus.Next();
    } else if (command.Is("END") || command.Is("ENDBLOCK")) {
      block = Word{};
    } else if ((command.Is("DIMENSIONS") && (data || block.Is("TAXA"))) || (command.Is("FORMAT") && data)) {
      Readsettings(nexus, settings);
      continue;
    } else if (command.Is("MATRIX") && data) {
      if (settings.Taxa == 0 || settings.Characters == 0) Refuse(command.Line, "no NTAX and NCHAR before the MATRIX");
      Checkdeclared("DIMENSIONS", settings.Taxa, settings.Characters, lines, command.Line);
      records.Declared = settings.Characters;
      // Halvik's own symbols need no conversion.
      if (settings.Special.Missing == 'N' || settings.Special.Missing == 'n') settings.Special.Missing = 0;
      if (settings.Special.Gap == '-') settings.Special.Gap = 0;
      return settings.Interleaved ? Readinterleaved(nexus, settings, records)
                                  : Readsequential(nexus, settings, records);
    }
    for (Word word = command; !word.Is(";") && !word.End; word = nexus.Next()) {
    }
  }
}

}  // namespace halvik
