#include "tests/support/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

int inChildProcess(const std::function<int()>& body) {
  pid_t child = fork();
  if (child == 0) _exit(body() & 0xFF);
  int status = -1;
  if (child < 0 || waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool dropRoot() { return geteuid() != 0 || setuid(65534) == 0; }
