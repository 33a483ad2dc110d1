// command_line.h: the program's command line, on the parser's own classes.
//
// The parser release we build with names its version switch --version only, quietly takes an
// empty argument for an empty group of combined flags, and marks the letters it took from a
// group with a BEL byte that its failure report prints, and that it takes for such a letter
// wherever it finds it. Our users expect -v as well, an empty argument or one holding a BEL
// byte refused like any other argument that matches no switch, and taken letters shown as '*'
// (-Ox fails with "Argument: -*x"); all four are restored here, and nowhere else. The
// parser also echoes arguments and the program's name as they stand; here they show as a
// terminal may show them (streams/terminal_text.h), so that no command line can drive the
// terminal it is reported on, and what the parser makes of a command line stays its own.
#pragma once

#include <tclap/CmdLine.h>
#include <tclap/HelpVisitor.h>
#include <tclap/StdOutput.h>
#include <tclap/SwitchArg.h>
#include <tclap/VersionVisitor.h>

#include <iosfwd>
#include <string>
#include <vector>

// The help switch, which also turns away an empty argument: every argument reaches it unless a
// switch before it in the parser's list took it, and none takes an empty one.
class HelpSwitchArg : public TCLAP::SwitchArg {
 public:
  using TCLAP::SwitchArg::SwitchArg;
  bool processArg(int* i, std::vector<std::string>& args) override;
};

// The parser's own usage, version and failure reports. Each is made whole before any of it is
// written, so that memory running out leaves none of it half-written, and on a terminal each of
// its lines, as the parser wrapped them, shows as a terminal may show it: the parser breaks a
// word too long for its line at a fixed width, which may fall inside a character. A failure
// report echoes the argument that failed as the parser left it: it is shown with each letter
// that a switch took from a combined group as '*' rather than as the byte that would ring the
// terminal's bell, and the rest of the argument as given as a terminal may show it.
class ParserOutput : public TCLAP::StdOutput {
 public:
  // `parsed`: the arguments as the parser works on them, marking taken letters in place;
  // `given`: the same arguments as they were given.
  ParserOutput(const std::vector<std::string>& parsed, const std::vector<std::string>& given)
      : parsed(parsed), given(given) {}
  void usage(TCLAP::CmdLineInterface& commandLine) override;
  void version(TCLAP::CmdLineInterface& commandLine) override;
  void failure(TCLAP::CmdLineInterface& commandLine, TCLAP::ArgException& exception) override;

 private:
  std::string argumentAsShown(const std::string& argument) const;

  const std::vector<std::string>& parsed;
  const std::vector<std::string>& given;
};

class CommandLine : public TCLAP::CmdLine {
 public:
  CommandLine(const std::string& message, char delimiter, const std::string& version);

  // Parses argv as the parser does, with the program's name, which the usage, the help and the
  // version show, as a terminal may show it, and each argument that holds a BEL byte refused.
  void parse(int argc, const char* const* argv) override;

  // Parse failures end with the brief usage and the hint to run with --help, as for any
  // command line that has help and version switches.
  bool hasHelpAndVersion() override { return true; }

 private:
  std::vector<std::string> arguments;  // as the parser leaves them
  std::vector<std::string> given;      // as given, without the program's name
  ParserOutput parserOutput{arguments, given};
  TCLAP::HelpVisitor helpVisitor;
  TCLAP::VersionVisitor versionVisitor;
  HelpSwitchArg helpSwitch;
  TCLAP::SwitchArg versionSwitch;
};

// Reports an argument exception that escaped the parser on `err` as one line; returns the exit
// status for it.
int reportArgumentException(const TCLAP::ArgException& exception, std::ostream& err);
