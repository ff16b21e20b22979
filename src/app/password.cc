#include "app/password.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace tce {
namespace {

constexpr char kProgram[] = "tarvex-compest-batch";

// The terminal's settings while echo is off, for the signal handler that
// puts them back. A signal handler can only reach file-level state.
termios g_saved_terminal;
volatile sig_atomic_t g_echo_off = 0;

void RestoreTerminalAndDie(int signal_number) {
  if (g_echo_off) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_terminal);
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// The bytes of `fd` up to the first line end; false on a read error.
bool ReadFirstLine(int fd, std::string& line) {
  line.clear();
  char c;
  while (true) {
    const ssize_t n = read(fd, &c, 1);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (c == '\n') break;
    line += c;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool Accept(const std::string& line, const char* source,
            std::string& password) {
  if (line.find('\0') != std::string::npos) {
    std::fprintf(stderr,
                 "%s: the password in %s holds a NUL byte, which no password "
                 "can contain\n",
                 kProgram, source);
    return false;
  }
  password = line;
  return true;
}

bool ReadFromFile(const std::string& file, std::string& password) {
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const char* why = fd < 0 ? std::strerror(errno) : "not a regular file";
    std::fprintf(stderr, "%s: cannot read the password file %s: %s\n", kProgram,
                 file.c_str(), why);
    if (fd >= 0) close(fd);
    return false;
  }
  std::string line;
  const bool read_ok = ReadFirstLine(fd, line);
  close(fd);
  if (!read_ok) {
    std::fprintf(stderr, "%s: cannot read the password file %s\n", kProgram,
                 file.c_str());
    return false;
  }
  return Accept(line, file.c_str(), password);
}

bool ReadFromTerminal(std::string& password) {
  if (tcgetattr(STDIN_FILENO, &g_saved_terminal) != 0) {
    std::fprintf(stderr, "Password: ");
    std::fflush(stderr);
    std::string line;
    return ReadFirstLine(STDIN_FILENO, line) &&
           Accept(line, "standard input", password);
  }
  struct sigaction action {
  }, previous[3];
  action.sa_handler = RestoreTerminalAndDie;
  sigemptyset(&action.sa_mask);
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int i = 0; i < 3; ++i) sigaction(signals[i], &action, &previous[i]);
  termios quiet = g_saved_terminal;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  g_echo_off = 1;
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  // The prompt comes once echo is off, so that nothing typed shows.
  std::fprintf(stderr, "Password: ");
  std::fflush(stderr);
  std::string line;
  const bool read_ok = ReadFirstLine(STDIN_FILENO, line);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved_terminal);
  g_echo_off = 0;
  for (int i = 0; i < 3; ++i) sigaction(signals[i], &previous[i], nullptr);
  std::fprintf(stderr, "\n");
  return read_ok && Accept(line, "the terminal", password);
}

}  // namespace

bool ReadPassword(const std::optional<std::string>& file,
                  std::string& password) {
  if (file) return ReadFromFile(*file, password);
  if (isatty(STDIN_FILENO)) return ReadFromTerminal(password);
  std::string line;
  if (!ReadFirstLine(STDIN_FILENO, line)) {
    std::fprintf(stderr, "%s: cannot read the password from standard input\n",
                 kProgram);
    return false;
  }
  return Accept(line, "standard input", password);
}

}  // namespace tce
