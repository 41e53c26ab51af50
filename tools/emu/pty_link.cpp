#include "pty_link.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace notarel::emu {
namespace {

[[noreturn]] void ThrowErrno(const char* call) {
  throw std::system_error(errno, std::generic_category(), std::string(call) + " failed");
}

}  // namespace

PtyLink::~PtyLink() { Close(); }

void PtyLink::Open() {
  Close();
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) ThrowErrno("posix_openpt");
  if (grantpt(master_) != 0) ThrowErrno("grantpt");
  if (unlockpt(master_) != 0) ThrowErrno("unlockpt");
  const char* name = ptsname(master_);
  if (name == nullptr) ThrowErrno("ptsname");
  slave_path_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slave_ < 0) ThrowErrno("open slave");
  // Raw from the start: a driver that opens the slave later sees no echo and
  // no byte translation even before it sets the line up itself.
  termios tio{};
  if (tcgetattr(slave_, &tio) != 0) ThrowErrno("tcgetattr");
  cfmakeraw(&tio);
  if (tcsetattr(slave_, TCSANOW, &tio) != 0) ThrowErrno("tcsetattr");
  const int flags = fcntl(master_, F_GETFL);
  if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) ThrowErrno("fcntl O_NONBLOCK");
  if (fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0) {
    ThrowErrno("fcntl FD_CLOEXEC");
  }
  PlaceLink();
}

void PtyLink::Close() {
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

// A temporary link renamed over the path: whoever opens the path sees either
// the old pair or the new one, never no link at all.
void PtyLink::PlaceLink() {
  if (link_path_.empty()) return;
  const std::string temporary = link_path_ + ".new" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(slave_path_.c_str(), temporary.c_str()) != 0) ThrowErrno("symlink");
  if (::rename(temporary.c_str(), link_path_.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    ThrowErrno("rename link");
  }
}

void PtyLink::RemoveLink() {
  if (!link_path_.empty()) ::unlink(link_path_.c_str());
}

ssize_t PtyLink::Read(std::uint8_t* buffer, std::size_t size) { return ::read(master_, buffer, size); }

ssize_t PtyLink::Write(const std::uint8_t* data, std::size_t size) { return ::write(master_, data, size); }

}  // namespace notarel::emu
