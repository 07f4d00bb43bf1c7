#include "tally/Command.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <ostream>
#include <system_error>

#include "Version.h"
#include "chatlink/CodePage.h"
#include "tally/LogLines.h"
#include "tally/Verify.h"

namespace kestar::tally {
namespace {

constexpr std::string_view kHelp =
    "Usage: kestar-tally [--bold] [--italic] [--underline] [--csv] [LOG]\n"
    "       kestar-tally --fairness [--by-roller] [--csv] [LOG]\n"
    "       kestar-tally --verify [LOG]\n"
    "Totals every dice roll in a chat log written by Kestar's logger, as the dice counter would\n"
    "have: for each roll line, its line number and the lines the counter would have said, then\n"
    "per roller the rolls totalled, the sum and the highest of their totals and the first roll\n"
    "(the initiative the Init window takes). LOG is read from standard input when it is \"-\"\n"
    "or not given; its lines are name, \":\", tab, text, in the 8-bit code page.\n"
    "  --bold --italic --underline  the formatting boxes ticked: the prefix of the lines said\n"
    "  --csv    only the summary, as CSV with a header row; the closing line goes to stderr\n"
    "  --fairness  were the dice fair? Instead of the listing and summary, for every number of\n"
    "           sides of the totalled rolls: how often each face came up, the count expected of\n"
    "           fair dice, Pearson's chi-square, its degrees of freedom and p-value, flagged\n"
    "           when p < 0.01, and a plain sentence. A size with fewer than 5 dice expected per\n"
    "           face is too few to test; a value outside 1..sides is counted, not tested.\n"
    "           p is how often fair dice would stray at least this far by chance alone.\n"
    "  --by-roller  with --fairness, the same for each roller's sizes with enough dice\n"
    "  --verify  were the dice the ones the roll service committed to? For every epoch\n"
    "           whose seed the service revealed in the log: whether the seed gives the\n"
    "           commitment, and every roll line has the values the seed gives; \"N rolls\n"
    "           verified\" or each line that does not match, with the values expected and\n"
    "           found. Roll lines outside a revealed epoch are listed as unverifiable.\n"
    "A roll line the rules cannot total is listed as skipped with the reason, never guessed.\n"
    "Lines not in the log's format are skipped and counted in the closing line.\n"
    "Exit status 0 when the log was read; 1 with --verify when a roll line does not match;\n"
    "2 when it cannot be read, the output cannot be written or an option is wrong.\n"
    "kestar-tally --version prints the version of Kestar it belongs to.\n";

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string errorText(int number) {
  return std::generic_category().message(number);
}

void writeFairnessReport(const Invocation& invocation, const Tally& tally, std::ostream& out,
                         std::ostream& err) {
  std::vector<std::string> names;
  for (const RollerTotals& row : tally.rollers())
    names.push_back(chatlink::toCodePage(row.name));
  const std::vector<DiceFaces>* byRoller = invocation.byRoller ? &tally.facesByRoller() : nullptr;
  if (invocation.csv) {
    writeFairnessCsv(out, tally.faces(), names, byRoller);
    err << closingLine(tally.counts()) << '\n';
  } else {
    writeFairness(out, tally.faces(), names, byRoller);
    out << closingLine(tally.counts()) << '\n';
  }
}

int runVerify(std::FILE* in, const std::string& source, std::ostream& out, std::ostream& err) {
  Verifier verifier(out);
  const int readError = readLines(
      in, [&](std::string_view line, bool overlong) { verifier.addLine(line, overlong); });
  if (readError != 0) {
    out.flush();
    err << "kestar-tally: cannot read " << source << " after line " << verifier.counts().read
        << ": " << errorText(readError) << '\n';
    return kExitFailed;
  }
  verifier.finish();
  out << verifyClosingLine(verifier.counts()) << '\n';
  if (!out.flush()) {
    err << "kestar-tally: cannot write the output\n";
    return kExitFailed;
  }
  return verifier.counts().failed == 0 ? 0 : kExitNotMatching;
}

}  // namespace

Invocation parseArguments(const std::vector<std::string_view>& arguments) {
  Invocation invocation;
  bool pathGiven = false;
  for (const std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      invocation.help = true;
    } else if (argument == "--bold") {
      invocation.formatting.bold = true;
    } else if (argument == "--italic") {
      invocation.formatting.italic = true;
    } else if (argument == "--underline") {
      invocation.formatting.underline = true;
    } else if (argument == "--csv") {
      invocation.csv = true;
    } else if (argument == "--fairness") {
      invocation.fairness = true;
    } else if (argument == "--by-roller") {
      invocation.byRoller = true;
    } else if (argument == "--verify") {
      invocation.verify = true;
    } else if (argument.size() > 1 && argument.front() == '-') {
      invocation.error = "unknown option " + std::string(argument);
    } else if (pathGiven) {
      invocation.error = "one log at a time";
    } else {
      invocation.path = argument;
      pathGiven = true;
    }
  }
  if (invocation.byRoller && !invocation.fairness && invocation.error.empty()) {
    invocation.error = "--by-roller goes with --fairness";
  }
  const Formatting& f = invocation.formatting;
  const bool others = invocation.csv || invocation.fairness || f.bold || f.italic || f.underline;
  if (invocation.verify && others && invocation.error.empty()) {
    invocation.error = "--verify goes alone";
  }
  return invocation;
}

int runTally(const std::vector<std::string_view>& arguments, std::FILE* standardInput,
             std::ostream& out, std::ostream& err) {
  // Whatever else is given, as other tools do.
  if (std::ranges::find(arguments, std::string_view("--version")) != arguments.end()) {
    out << "kestar-tally " << kVersion << '\n' << kLicence;
    return 0;
  }
  const Invocation invocation = parseArguments(arguments);
  if (!invocation.error.empty()) {
    err << "kestar-tally: " << invocation.error << "\nkestar-tally --help tells how to use it.\n";
    return kExitFailed;
  }
  if (invocation.help) {
    out << kHelp;
    return 0;
  }

  const bool fromInput = invocation.path.empty() || invocation.path == "-";
  const std::string source = fromInput ? "standard input" : invocation.path;
  std::unique_ptr<std::FILE, CloseFile> file;
  if (!fromInput) {
    file.reset(std::fopen(invocation.path.c_str(), "rb"));
    if (!file) {
      err << "kestar-tally: cannot read " << source << ": " << errorText(errno) << '\n';
      return kExitFailed;
    }
  }

  std::FILE* const in = fromInput ? standardInput : file.get();
  if (invocation.verify) return runVerify(in, source, out, err);

  const bool listed = !invocation.csv && !invocation.fairness;
  Tally tally(invocation.formatting, listed ? &out : nullptr);
  if (invocation.fairness) tally.countFaces(invocation.byRoller);
  const int readError =
      readLines(in, [&](std::string_view line, bool overlong) { tally.addLine(line, overlong); });
  if (readError != 0) {
    // The rolls before the failure are listed, but a summary of part of a log would mislead.
    out.flush();
    err << "kestar-tally: cannot read " << source << " after line " << tally.counts().read << ": "
        << errorText(readError) << '\n';
    return kExitFailed;
  }

  if (invocation.fairness) {
    writeFairnessReport(invocation, tally, out, err);
  } else if (invocation.csv) {
    writeCsv(out, tally.rollers());
    err << closingLine(tally.counts()) << '\n';
  } else {
    if (tally.counts().totalled + tally.counts().skipped > 0) out << '\n';
    if (tally.rollers().empty()) {
      out << "No rolls.\n";
    } else {
      writeSummary(out, tally.rollers());
    }
    out << closingLine(tally.counts()) << '\n';
  }
  if (!out.flush()) {
    err << "kestar-tally: cannot write the output\n";
    return kExitFailed;
  }
  return 0;
}

}  // namespace kestar::tally
