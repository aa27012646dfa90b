#include "tests/app/TestSupport.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "Common/Version.h"

extern char** environ;

namespace vexo::test {

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

WideString Wide(const std::string& utf8) {
  const UString text(utf8.data(), static_cast<Int32>(utf8.size()), UStringEncoding::UTF8);
  return WideString(text.Units(), text.Length());
}

std::string BlankPgm() { return "P5\n16 16\n255\n" + std::string(16 * 16, '\xFF'); }

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<int>& blockedSignals) {
  std::vector<std::string> strings{program};
  strings.insert(strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : strings) argv.push_back(text.data());
  argv.push_back(nullptr);

  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t blocked;
  sigemptyset(&blocked);
  for (const int signalNumber : blockedSignals) sigaddset(&blocked, signalNumber);
  posix_spawnattr_setsigmask(&attributes, &blocked);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  pid_t child = 0;
  const int spawnError =
      posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);

  ProcessResult result;
  char chunk[4096];
  ssize_t count = 0;
  while ((count = read(pipeEnds[0], chunk, sizeof chunk)) != 0) {
    if (count < 0) {
      if (errno == EINTR) continue;
      break;
    }
    result.output.append(chunk, static_cast<std::size_t>(count));
  }
  close(pipeEnds[0]);
  if (spawnError != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string Prefix() { return std::string("Velmora Barcode Module ") + Common::kVersionString; }

}  // namespace vexo::test
