#include "link/PosixSerialDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

#include "link/CommEventWatch.h"

namespace orvane {

namespace {

// Device numbers of pseudo-terminal slaves: Unix 98 (136-143) and the old BSD kind (3).
constexpr unsigned kUnix98SlaveFirstMajor = 136;
constexpr unsigned kUnix98SlaveLastMajor = 143;
constexpr unsigned kBsdSlaveMajor = 3;

// A write whose time-out has no limit (a rate above 19200 baud gives 0 ms per byte) still
// returns after this long plus one millisecond per byte: the user-interface thread waits.
constexpr long long kUnlimitedWriteCapMs = 1000;

std::optional<speed_t> SpeedFor(int baudRate) {
  switch (baudRate) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return std::nullopt;  // 14400, 56000, 128000, 256000: no termios rate
  }
}

std::optional<tcflag_t> CharacterSizeFor(int dataBits) {
  switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return std::nullopt;
  }
}

bool IsPseudoTerminal(int descriptor) {
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
  const unsigned deviceMajor = major(info.st_rdev);
  return (deviceMajor >= kUnix98SlaveFirstMajor && deviceMajor <= kUnix98SlaveLastMajor) ||
         deviceMajor == kBsdSlaveMajor;
}

// The error codes that mean the device is gone rather than a transfer went wrong.
bool MeansDeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

}  // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::Open(ui::Backend& backend,
                                                           const std::string& path,
                                                           int& errorCode) {
  errorCode = 0;
  const int descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    errorCode = errno;
    return nullptr;
  }
  auto fail = [&](int error, bool exclusive) -> std::unique_ptr<PosixSerialDevice> {
    errorCode = error;
    if (exclusive) ::ioctl(descriptor, TIOCNXCL);
    ::close(descriptor);
    return nullptr;
  };
  if (!::isatty(descriptor)) return fail(ENOTTY, false);
  // The lock is what keeps a second program (or a privileged one) off the controller.
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0)
    return fail(errno == EWOULDBLOCK ? EBUSY : errno, false);
  // A pseudo-terminal outlives its users: exclusive mode left on it by a process that was
  // killed would refuse every later open, the same program restarted included, until the
  // terminal's owner made a new one. There the lock alone keeps a second program off.
  const bool pseudoTerminal = IsPseudoTerminal(descriptor);
  const bool exclusive = !pseudoTerminal;
  if (exclusive && ::ioctl(descriptor, TIOCEXCL) != 0) return fail(errno, false);

  termios original{};
  if (::tcgetattr(descriptor, &original) != 0) return fail(errno, exclusive);
  termios raw = original;
  ::cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  raw.c_cflag &= ~CRTSCTS;
  raw.c_iflag &= ~(IXON | IXOFF | IXANY);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  ::cfsetispeed(&raw, B9600);
  ::cfsetospeed(&raw, B9600);
  if (::tcsetattr(descriptor, TCSANOW, &raw) != 0) return fail(errno, exclusive);

  std::unique_ptr<PosixSerialDevice> device(
      new PosixSerialDevice(backend, descriptor, pseudoTerminal, original));
  ComStat ignored;
  device->clearErrors(ignored);  // takes the line error counters as they are now
  return device;
}

PosixSerialDevice::PosixSerialDevice(ui::Backend& backend, int descriptor, bool pseudoTerminal,
                                     const termios& original)
    : backend_(backend),
      descriptor_(descriptor),
      pseudoTerminal_(pseudoTerminal),
      original_(original) {}

PosixSerialDevice::~PosixSerialDevice() {
  stopEvents();
  ::tcsetattr(descriptor_, TCSANOW, &original_);
  ::ioctl(descriptor_, TIOCNXCL);
  ::close(descriptor_);  // also releases the lock
}

int PosixSerialDevice::applyLineSettings(const LineSettings& settings) {
  termios line{};
  if (::tcgetattr(descriptor_, &line) != 0) return errno;
  const std::optional<speed_t> speed = SpeedFor(settings.baudRate);
  const std::optional<tcflag_t> size = CharacterSizeFor(settings.dataBits);
  if (!speed || !size) return EINVAL;
  ::cfsetispeed(&line, *speed);
  ::cfsetospeed(&line, *speed);
  line.c_cflag = (line.c_cflag & ~CSIZE) | *size;

  switch (settings.stopBits) {
    case LineSettings::StopBits::One: line.c_cflag &= ~CSTOPB; break;
    case LineSettings::StopBits::Two: line.c_cflag |= CSTOPB; break;
    case LineSettings::StopBits::OneAndHalf:
      // UARTs send one and a half stop bits for 5-bit bytes when asked for two.
      if (settings.dataBits != 5) return EINVAL;
      line.c_cflag |= CSTOPB;
      break;
  }

  line.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  switch (settings.parity) {
    case LineSettings::Parity::None: break;
    case LineSettings::Parity::Odd: line.c_cflag |= PARENB | PARODD; break;
    case LineSettings::Parity::Even: line.c_cflag |= PARENB; break;
    case LineSettings::Parity::Mark: line.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case LineSettings::Parity::Space: line.c_cflag |= PARENB | CMSPAR; break;
  }
  // With checking on, a byte with a parity error reads as a null byte.
  line.c_iflag &= ~(INPCK | IGNPAR | PARMRK);
  if (settings.parityCheck) line.c_iflag |= INPCK;
  line.c_cc[VSTART] = static_cast<cc_t>(settings.xonChar);
  line.c_cc[VSTOP] = static_cast<cc_t>(settings.xoffChar);
  if (::tcsetattr(descriptor_, TCSANOW, &line) != 0) return errno;
  nullStrip_ = settings.nullStrip;
  return 0;
}

int PosixSerialDevice::applyTimeouts(const DeviceTimeouts& timeouts) {
  timeouts_ = timeouts;
  return 0;
}

// The terminal driver's queues have fixed sizes; asking for others is not an error.
int PosixSerialDevice::setQueueSizes(int, int) { return 0; }

int PosixSerialDevice::write(const char* data, int count) {
  if (count <= 0) return 0;
  long long limitMs = static_cast<long long>(timeouts_.writeTotalPerByte) * count +
                      timeouts_.writeTotalConstant;
  if (limitMs == 0) limitMs = kUnlimitedWriteCapMs + count;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  int written = 0;
  while (written < count) {
    const ssize_t result = ::write(descriptor_, data + written, count - written);
    if (result > 0) {
      written += static_cast<int>(result);
      continue;
    }
    if (result < 0 && errno == EINTR) continue;
    if (result < 0 && errno != EAGAIN) {
      noteTransferError(errno);
      return written > 0 ? written : -1;
    }
    // The output queue is full: wait for room until the time-out.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd room{descriptor_, POLLOUT, 0};
    if (::poll(&room, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    if ((room.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) break;
  }
  return written;
}

int PosixSerialDevice::read(char* buffer, int count) {
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t result = ::read(descriptor_, buffer, count);
    if (result >= 0) {
      if (result > 0 && watcher_) watcher_->bytesTaken();
      if (!nullStrip_) return static_cast<int>(result);
      return static_cast<int>(std::remove(buffer, buffer + result, '\0') - buffer);
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;
    noteTransferError(errno);
    return -1;
  }
}

int PosixSerialDevice::inQueueCount() {
  int count = 0;
  return ::ioctl(descriptor_, FIONREAD, &count) == 0 ? count : -1;
}

int PosixSerialDevice::outQueueCount() {
  int count = 0;
  return ::ioctl(descriptor_, TIOCOUTQ, &count) == 0 ? count : -1;
}

std::uint32_t PosixSerialDevice::clearErrors(ComStat& status) {
  status = ComStat{};
  status.inQueue = static_cast<std::uint32_t>(std::max(inQueueCount(), 0));
  status.outQueue = static_cast<std::uint32_t>(std::max(outQueueCount(), 0));
  status.xoffHold = outputHeld_;
  return clearErrorFlags();
}

std::uint32_t PosixSerialDevice::clearErrorFlags() {
  // Real UARTs count line errors; pseudo-terminals and some adapters do not, and are not
  // asked again.
  if (!countsErrors_) return 0;
  serial_icounter_struct counters{};
  if (::ioctl(descriptor_, TIOCGICOUNT, &counters) != 0) {
    if (errno == ENOTTY || errno == EINVAL) countsErrors_ = false;
    return 0;
  }
  std::uint32_t errors = 0;
  if (counters_) {
    if (counters.frame != counters_->frame) errors |= comm_error::kFrame;
    if (counters.overrun != counters_->overrun) errors |= comm_error::kOverrun;
    if (counters.parity != counters_->parity) errors |= comm_error::kRxParity;
    if (counters.brk != counters_->brk) errors |= comm_error::kBreak;
    if (counters.buf_overrun != counters_->buf_overrun) errors |= comm_error::kRxOver;
  }
  counters_ = counters;
  return errors;
}

void PosixSerialDevice::purge(bool input, bool output) {
  if (input && watcher_) watcher_->bytesTaken();
  if (input && output) {
    ::tcflush(descriptor_, TCIOFLUSH);
  } else if (input) {
    ::tcflush(descriptor_, TCIFLUSH);
  } else if (output) {
    ::tcflush(descriptor_, TCOFLUSH);
  }
}

void PosixSerialDevice::flush() {
  while (::tcdrain(descriptor_) != 0) {
    if (errno != EINTR) {
      noteTransferError(errno);
      return;
    }
  }
}

int PosixSerialDevice::setModemBits(int bits, bool on) {
  if (::ioctl(descriptor_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return 0;
  const int error = errno;
  if (pseudoTerminal_ && (error == ENOTTY || error == EINVAL)) return 0;
  return error;
}

int PosixSerialDevice::setDtr(bool on) { return setModemBits(TIOCM_DTR, on); }

int PosixSerialDevice::setRts(bool on) { return setModemBits(TIOCM_RTS, on); }

int PosixSerialDevice::setBreak(bool on) {
  return ::ioctl(descriptor_, on ? TIOCSBRK : TIOCCBRK) == 0 ? 0 : errno;
}

int PosixSerialDevice::setXon(bool on) {
  if (::tcflow(descriptor_, on ? TCOON : TCOOFF) != 0) return errno;
  outputHeld_ = !on;
  return 0;
}

bool PosixSerialDevice::modemLine(int index) {
  int bits = 0;
  if (::ioctl(descriptor_, TIOCMGET, &bits) != 0) return false;
  switch (index) {
    case 1: return (bits & TIOCM_CTS) != 0;
    case 2: return (bits & TIOCM_DSR) != 0;
    case 3: return (bits & TIOCM_RI) != 0;
    case 4: return (bits & TIOCM_CD) != 0;
    default: return false;
  }
}

void PosixSerialDevice::startEvents(std::uint32_t mask,
                                    std::function<void(std::uint32_t)> handler) {
  stopEvents();
  watcher_ = std::make_unique<TCommEventWatch>(backend_, descriptor_, pseudoTerminal_, mask,
                                               std::move(handler));
  watcher_->start();
}

void PosixSerialDevice::stopEvents() {
  if (!watcher_) return;
  watcher_->stop();
  watcher_.reset();
}

void PosixSerialDevice::noteTransferError(int error) {
  if (MeansDeviceGone(error) && watcher_) watcher_->deviceFailed();
}

}  // namespace orvane
