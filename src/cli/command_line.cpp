// command_line.cpp: help and version switches, the refusal of empty arguments, and failure
// reports that no argument can make drive a terminal.
#include "cli/command_line.h"

#include <libintl.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <iterator>

#include "streams/exit_status.h"
#include "streams/terminal_text.h"

bool HelpSwitchArg::processArg(int* i, std::vector<std::string>& args) {
  if (args[*i].empty() && !TCLAP::Arg::ignoreRest()) {
    throw TCLAP::CmdLineParseException("Couldn't find match for argument", args[*i]);
  }
  return TCLAP::SwitchArg::processArg(i, args);
}

void ParserOutput::failure(TCLAP::CmdLineInterface& commandLine, TCLAP::ArgException& exception) {
  // argId() is "Argument: " and the argument, or a blank when the failure names none.
  const std::string prefix = "Argument: ";
  const std::string id = exception.argId();
  const std::string argument = id.rfind(prefix, 0) == 0 ? id.substr(prefix.size()) : "";
  const std::string text = argumentAsShown(argument);
  if (text == argument) {
    TCLAP::StdOutput::failure(commandLine, exception);
    return;
  }
  TCLAP::CmdLineParseException shownException(exception.error(), text);
  TCLAP::StdOutput::failure(commandLine, shownException);
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
  }
  TCLAP::CmdLine::parse(arguments);
}

int reportArgumentException(const TCLAP::ArgException& exception, std::ostream& err) {
  // argId() is a single blank for an exception without an argument, else "Argument: " and it.
  err << gettext("error: ") << exception.error() << gettext(" for arg ") << exception.argId()
      << std::endl;
  return kExitUsage;
}
