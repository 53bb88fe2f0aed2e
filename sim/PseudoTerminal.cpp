#include "PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orvane::sim {
namespace {

bool makeRaw(int fd) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return false;
  cfmakeraw(&settings);
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  return tcsetattr(fd, TCSANOW, &settings) == 0;
}

std::string systemError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::open(std::string& error) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) {
    error = systemError("posix_openpt");
    return nullptr;
  }
  auto fail = [&](const std::string& what) {
    error = systemError(what);
    ::close(master);
    return nullptr;
  };
  if (grantpt(master) != 0) return fail("grantpt");
  if (unlockpt(master) != 0) return fail("unlockpt");
  char name[128];
  if (ptsname_r(master, name, sizeof name) != 0) return fail("ptsname");
  if (!makeRaw(master)) return fail("raw mode of the master");
  // The slave keeps its settings after this short open, so a program that opens it later
  // reads raw bytes even before it sets the line up itself.
  int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) return fail(std::string("open ") + name);
  bool slaveRaw = makeRaw(slave);
  ::close(slave);
  if (!slaveRaw) return fail("raw mode of the slave");
  int flags = fcntl(master, F_GETFL);
  if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) return fail("O_NONBLOCK");
  return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, name));
}

PseudoTerminal::~PseudoTerminal() {
  closeMaster();
}

void PseudoTerminal::closeMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace orvane::sim
