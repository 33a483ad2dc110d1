// process.cpp: fork, exec and collect both output streams without deadlocking on either.
#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  result.reserve(texts.size() + 1);
  for (auto& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& overrides) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string current(*entry);
    const std::string name = current.substr(0, current.find('='));
    bool overridden = false;
    for (const auto& o : overrides) {
      if (o.substr(0, o.find('=')) == name) overridden = true;
    }
    if (!overridden) merged.push_back(current);
  }
  merged.insert(merged.end(), overrides.begin(), overrides.end());
  return merged;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
  ProcessResult result;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) std::abort();

  std::vector<std::string> args = argv;
  std::vector<std::string> env = mergedEnvironment(environment);
  std::vector<char*> argPointers = pointers(args);
  std::vector<char*> envPointers = pointers(env);

  const pid_t child = fork();
  if (child < 0) std::abort();
  if (child == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    if (program.find('/') == std::string::npos) {
      execvpe(program.c_str(), argPointers.data(), envPointers.data());
    } else {
      execve(program.c_str(), argPointers.data(), envPointers.data());
    }
    const char message[] = "exec failed\n";
    (void)!write(2, message, sizeof message - 1);
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);

  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  char chunk[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ProcessResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProcess(program, argv, environment);
}

ProcessResult runShell(const std::string& command, const std::vector<std::string>& environment) {
  return runProcess("/bin/sh", {"sh", "-c", command}, environment);
}
