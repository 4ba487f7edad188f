#include "cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zarneth::test {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int Spawn(const std::vector<std::string>& args, const std::string& outPath,
          const std::string& errPath, int outFd = -1, bool withTimeout = true) {
  // Only a hung run is ended: a machine under load (a distribution's builder) may take many
  // times the usual second, and a test must not fail for it.
  std::vector<std::string> all{"timeout", "300", ZARNETH_CLI};
  if (!withTimeout)
    all.erase(all.begin(), all.begin() + 2);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    throw std::runtime_error("cannot start zarneth-cli");
  return pid;
}

}  // namespace

int WaitCli(int pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return -1;
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);  // as a shell reports it
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CliRun RunCli(const std::vector<std::string>& args, const TempDir& dir) {
  const std::string outPath = dir / "stdout.txt";
  const std::string errPath = dir / "stderr.txt";
  const int exitCode = WaitCli(Spawn(args, outPath, errPath));
  return {exitCode, Slurp(outPath), Slurp(errPath)};
}

std::optional<CliRun> RunCliIntoFullDevice(const std::vector<std::string>& args,
                                           const TempDir& dir) {
  const std::string errPath = dir / "stderr.txt";
  const int exitCode = WaitCli(Spawn(args, "/dev/full", errPath));
  return CliRun{exitCode, "", Slurp(errPath)};
}

int RunCliIntoClosedPipe(const std::vector<std::string>& args) {
  int ends[2];
  if (::pipe(ends) != 0)
    throw std::runtime_error("cannot make a pipe");
  ::close(ends[0]);
  const int pid = Spawn(args, "", "/dev/null", ends[1]);
  ::close(ends[1]);
  return WaitCli(pid);
}

int StartCli(const std::vector<std::string>& args) {
  return Spawn(args, "/dev/null", "/dev/null", -1, false);
}

bool CommandLineCarries(const std::string& text) {
  return text.find('\0') == std::string::npos;
}

void KillCli(int pid) {
  ::kill(pid, SIGKILL);
}

std::vector<Interrupt> Interrupts() {
  return {{"SIGINT", 128 + SIGINT}, {"SIGTERM", 128 + SIGTERM}, {"SIGHUP", 128 + SIGHUP}};
}

void InterruptCli(int pid, const Interrupt& interrupt) {
  ::kill(pid, interrupt.exitCode - 128);
}

}  // namespace zarneth::test
