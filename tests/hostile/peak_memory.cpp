// peak_memory FIGURES_FILE COMMAND [ARGUMENTS...]
// Runs COMMAND as its child, waits for it and writes the child's peak resident set size in
// kilobytes into FIGURES_FILE. A process's peak counts that of the process it was forked from,
// so the child is forked from this small program rather than from a large test script. Exits
// with the child's exit status, or 128 + the signal that ended it.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: peak_memory FIGURES_FILE COMMAND [ARGUMENTS...]\n");
    return 125;
  }
  const pid_t child = fork();
  if (child < 0) return 125;
  if (child == 0) {
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return 125;
  std::FILE* figures = std::fopen(argv[1], "w");
  if (!figures) return 125;
  std::fprintf(figures, "%ld\n", usage.ru_maxrss);
  std::fclose(figures);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
