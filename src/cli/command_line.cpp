// command_line.cpp: help and version switches, the refusal of empty arguments, and failure
// reports without control bytes.
#include "cli/command_line.h"

#include <libintl.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <iterator>

namespace {

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

}  // namespace

bool HelpSwitchArg::processArg(int* i, std::vector<std::string>& args) {
  if (args[*i].empty() && !TCLAP::Arg::ignoreRest()) {
    throw TCLAP::CmdLineParseException("Couldn't find match for argument", args[*i]);
  }
  return TCLAP::SwitchArg::processArg(i, args);
}

void ParserOutput::failure(TCLAP::CmdLineInterface& commandLine, TCLAP::ArgException& exception) {
  // argId() is "Argument: " and the argument as the parser left it.
  std::string argument = exception.argId();
  const char taken = TCLAP::Arg::blankChar();
  if (argument.find(taken) == std::string::npos) {
    TCLAP::StdOutput::failure(commandLine, exception);
    return;
  }
  std::replace(argument.begin(), argument.end(), taken, '*');
  TCLAP::CmdLineParseException shown(exception.error(), argument.substr(std::strlen("Argument: ")));
  TCLAP::StdOutput::failure(commandLine, shown);
}

CommandLine::CommandLine(const std::string& message, char delimiter, const std::string& version)
    : TCLAP::CmdLine(message, delimiter, version, false),
      helpVisitor_(this, &_output),
      versionVisitor_(this, &_output),
      help_("h", "help", "Displays usage information and exits.", false, &helpVisitor_),
      version_("v", "version", "Displays version information and exits.", false,
               &versionVisitor_) {
  setOutput(&output_);
  add(help_);
  add(version_);
  // The parser lists the last added first; put --ignore_rest, which the base added before
  // these two, back in front of them so the usage reads "[--] [-v] [-h]" at its end.
  std::list<TCLAP::Arg*>& args = getArgList();
  args.splice(args.begin(), args, std::prev(args.end()));
}

void CommandLine::parse(int argc, const char* const* argv) {
  std::vector<std::string> args(argv, argv + argc);
  for (std::string& arg : args) std::replace_if(arg.begin(), arg.end(), isControlByte, '?');
  TCLAP::CmdLine::parse(args);
}

int reportArgumentException(const TCLAP::ArgException& exception, std::ostream& err) {
  // argId() is a single blank for an exception without an argument, else "Argument: " and it.
  err << gettext("error: ") << exception.error() << gettext(" for arg ") << exception.argId()
      << std::endl;
  return 1;
}
