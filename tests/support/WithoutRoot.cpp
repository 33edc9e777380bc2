#include "tests/support/WithoutRoot.h"

#include <sys/wait.h>
#include <unistd.h>

WithoutRootResult RunWithoutRoot(const std::function<std::string()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return {"(no pipe)", false};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    const std::string text = work();
    _exit(write(fds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 3);
  }
  close(fds[1]);
  WithoutRootResult result;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) result.Text.append(buffer, size_t(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.Finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}
