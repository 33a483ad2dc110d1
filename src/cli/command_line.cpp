// command_line.cpp: help and version switches, the refusal of empty arguments and of the
// parser's own mark, and reports that no argument can make drive a terminal.
#include "cli/command_line.h"

#include <libintl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "streams/exit_status.h"
#include "streams/terminal_text.h"

namespace {

// While it lives, what `stream` is given goes into a string instead.
class Captured {
 public:
  explicit Captured(std::ostream& stream) : stream(stream), destination(stream.rdbuf(&text)) {}
  ~Captured() { stream.rdbuf(destination); }
  Captured(const Captured&) = delete;
  Captured& operator=(const Captured&) = delete;

  std::string str() const { return text.str(); }

 private:
  std::ostream& stream;
  std::stringbuf text;
  std::streambuf* destination;
};

// What `print` writes to `stream`, as a string.
template <typename Print>
std::string rendered(std::ostream& stream, Print print) {
  const Captured captured(stream);
  print();
  return captured.str();
}

// Writes a whole report of the parser's to `stream`, whose descriptor is `fd`: as it is, without
// allocating, anywhere but on a terminal; on a terminal made first with each line as a terminal
// may show it.
void writeReport(std::ostream& stream, int fd, const std::string& report) {
  if (isatty(fd) != 1) {
    stream.write(report.data(), static_cast<std::streamsize>(report.size()));
    return;
  }
  std::string shown;
  for (std::string_view rest = report; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    shown += shownOnTerminal(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    shown += '\n';
    rest.remove_prefix(end + 1);
  }
  stream.write(shown.data(), static_cast<std::streamsize>(shown.size()));
}

}  // namespace

bool HelpSwitchArg::processArg(int* i, std::vector<std::string>& args) {
  if (args[*i].empty() && !TCLAP::Arg::ignoreRest()) {
    throw TCLAP::CmdLineParseException("Couldn't find match for argument", args[*i]);
  }
  return TCLAP::SwitchArg::processArg(i, args);
}

void ParserOutput::usage(TCLAP::CmdLineInterface& commandLine) {
  writeReport(std::cout, STDOUT_FILENO,
              rendered(std::cout, [&] { TCLAP::StdOutput::usage(commandLine); }));
}

void ParserOutput::version(TCLAP::CmdLineInterface& commandLine) {
  writeReport(std::cout, STDOUT_FILENO,
              rendered(std::cout, [&] { TCLAP::StdOutput::version(commandLine); }));
}

void ParserOutput::failure(TCLAP::CmdLineInterface& commandLine, TCLAP::ArgException& exception) {
  // argId() is "Argument: " and the argument, or a blank when the failure names none.
  const std::string prefix = "Argument: ";
  const std::string id = exception.argId();
  const std::string argument = id.rfind(prefix, 0) == 0 ? id.substr(prefix.size()) : "";
  const std::string text = argumentAsShown(argument);
  TCLAP::CmdLineParseException shownException(exception.error(), text);
  TCLAP::ArgException& reported = text == argument ? exception : shownException;
  // The parser's report ends by asking for the run to end, with the status it names.
  int status = kExitUsage;
  const std::string report = rendered(std::cerr, [&] {
    try {
      TCLAP::StdOutput::failure(commandLine, reported);
    } catch (const TCLAP::ExitException& exit) {
      status = exit.getExitStatus();
    }
  });
  writeReport(std::cerr, STDERR_FILENO, report);
  throw TCLAP::ExitException(status);
}

std::string ParserOutput::argumentAsShown(const std::string& argument) const {
  // The parser marks taken letters in place, so the argument stands at the same index, with
  // the same length, among the arguments as given: the bytes as given, with a '*' for each
  // letter taken.
  const auto at = std::find(parsed.begin(), parsed.end(), argument);
  const auto index = static_cast<std::size_t>(at - parsed.begin());
  const std::string* asGiven = index < given.size() ? &given[index] : nullptr;
  const char taken = TCLAP::Arg::blankChar();
  std::string text = argument;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == taken && (asGiven == nullptr || (*asGiven)[i] != taken)) {
      text[i] = '*';
    } else if (asGiven != nullptr) {
      text[i] = (*asGiven)[i];
    }
  }
  return shownOnTerminal(text);
}

CommandLine::CommandLine(const std::string& message, char delimiter, const std::string& version)
    : TCLAP::CmdLine(message, delimiter, version, false),
      helpVisitor(this, &_output),
      versionVisitor(this, &_output),
      helpSwitch("h", "help", "Displays usage information and exits.", false, &helpVisitor),
      versionSwitch("v", "version", "Displays version information and exits.", false,
                    &versionVisitor) {
  setOutput(&parserOutput);
  add(helpSwitch);
  add(versionSwitch);
  // The parser lists the last added first; put --ignore_rest, which the base added before
  // these two, back in front of them so the usage reads "[--] [-v] [-h]" at its end.
  std::list<TCLAP::Arg*>& args = getArgList();
  args.splice(args.begin(), args, std::prev(args.end()));
}

void CommandLine::parse(int argc, const char* const* argv) {
  arguments.assign(argv, argv + argc);
  if (!arguments.empty()) {
    arguments.front() = shownOnTerminal(arguments.front());
    // The parser takes the name off the front, which leaves both lists alike.
    given.assign(std::next(arguments.begin()), arguments.end());
    // A BEL byte given would pass for a letter the parser took: -\a for an emptied group, and
    // -O\a for -O. The delimiter in its place makes the parser refuse the argument, as every
    // switch refuses one that holds it, and the failure report shows the argument as given.
    for (auto argument = std::next(arguments.begin()); argument != arguments.end(); ++argument) {
      std::replace(argument->begin(), argument->end(), TCLAP::Arg::blankChar(),
                   TCLAP::Arg::delimiter());
    }
  }
  TCLAP::CmdLine::parse(arguments);
}

int reportArgumentException(const TCLAP::ArgException& exception, std::ostream& err) {
  // argId() is a single blank for an exception without an argument, else "Argument: " and it.
  err << gettext("error: ") << exception.error() << gettext(" for arg ") << exception.argId()
      << std::endl;
  return kExitUsage;
}
