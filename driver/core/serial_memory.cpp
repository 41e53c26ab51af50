// The serial link in memory.
#include "serial_memory.h"

#include <algorithm>

namespace notarel {
namespace {

// The error a call on a closed handle gets (EBADF, ERROR_INVALID_HANDLE alike).
constexpr SystemError kClosedHandleError = 9;

}  // namespace

void TMemorySerial::Script(TReply reply) {
  std::lock_guard<std::mutex> hold(lock_);
  scripted_.push_back(std::move(reply));
}

void TMemorySerial::SetResponder(TResponder responder) {
  std::lock_guard<std::mutex> hold(lock_);
  responder_ = std::move(responder);
}

void TMemorySerial::Inject(TReply pieces) {
  std::lock_guard<std::mutex> hold(lock_);
  for (TPiece& piece : pieces) line_.push_back(std::move(piece));
}

void TMemorySerial::FailOpen(SystemError error) {
  std::lock_guard<std::mutex> hold(lock_);
  openError_ = error;
}

void TMemorySerial::FailWrites(SystemError error) {
  std::lock_guard<std::mutex> hold(lock_);
  writeError_ = error;
}

std::vector<Bytes> TMemorySerial::Written() const {
  std::lock_guard<std::mutex> hold(lock_);
  return std::vector<Bytes>(written_.begin(), written_.end());
}

void TMemorySerial::KeepLastWrites(std::size_t limit) {
  std::lock_guard<std::mutex> hold(lock_);
  writeLimit_ = limit;
  while (written_.size() > writeLimit_) written_.pop_front();
}

std::uint64_t TMemorySerial::WriteCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return writeCount_;
}

void TMemorySerial::ClearWritten() {
  std::lock_guard<std::mutex> hold(lock_);
  written_.clear();
}

bool TMemorySerial::IsOpen() const {
  std::lock_guard<std::mutex> hold(lock_);
  return open_;
}

std::string TMemorySerial::OpenedName() const {
  std::lock_guard<std::mutex> hold(lock_);
  return openedName_;
}

int TMemorySerial::OpenCount() const {
  std::lock_guard<std::mutex> hold(lock_);
  return openCount_;
}

std::int32_t TMemorySerial::LineSpeed() const {
  std::lock_guard<std::mutex> hold(lock_);
  return lineSpeed_;
}

std::size_t TMemorySerial::Pending() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::size_t count = 0;
  for (const TPiece& piece : line_) count += piece.bytes.size();
  return count;
}

bool TMemorySerial::Usable(PortHandle handle, SystemError& error) const {
  if (open_ && handle == kHandle) return true;
  error = kClosedHandleError;
  return false;
}

PortHandle TMemorySerial::Open(const std::string& name, SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (openError_ != 0 || open_) {
    // Like a real port, one opening at a time.
    error = openError_ != 0 ? openError_ : kClosedHandleError;
    return kInvalidPort;
  }
  open_ = true;
  openedName_ = name;
  ++openCount_;
  return kHandle;
}

void TMemorySerial::Close(PortHandle handle) {
  std::lock_guard<std::mutex> hold(lock_);
  if (handle == kHandle) open_ = false;
}

bool TMemorySerial::SetTimeouts(PortHandle handle, const SerialTimeouts&, SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  return Usable(handle, error);
}

bool TMemorySerial::SetLineFormat(PortHandle handle, std::int32_t baudRate, SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!Usable(handle, error)) return false;
  lineSpeed_ = baudRate;
  return true;
}

bool TMemorySerial::SetupQueues(PortHandle handle, std::uint32_t, std::uint32_t,
                                SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  return Usable(handle, error);
}

bool TMemorySerial::Purge(PortHandle handle, SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!Usable(handle, error)) return false;
  line_.clear();
  return true;
}

bool TMemorySerial::Write(PortHandle handle, const std::uint8_t* data, std::size_t size,
                          std::size_t& written, SystemError& error) {
  std::unique_lock<std::mutex> lock(lock_);
  written = 0;
  if (!Usable(handle, error)) return false;
  if (writeError_ != 0) {
    error = writeError_;
    return false;
  }
  const Bytes bytes(data, data + size);
  written_.push_back(bytes);
  if (written_.size() > writeLimit_) written_.pop_front();
  ++writeCount_;
  written = size;
  TReply reply;
  if (!scripted_.empty()) {
    reply = std::move(scripted_.front());
    scripted_.pop_front();
  } else if (responder_) {
    const TResponder responder = responder_;
    lock.unlock();  // the responder may script or inspect
    reply = responder(bytes);
    lock.lock();
  }
  for (TPiece& piece : reply) line_.push_back(std::move(piece));
  return true;
}

bool TMemorySerial::Read(PortHandle handle, std::uint8_t* data, std::size_t size,
                         std::size_t& received, SystemError& error) {
  std::lock_guard<std::mutex> hold(lock_);
  received = 0;
  if (!Usable(handle, error)) return false;
  while (received < size && !line_.empty()) {
    TPiece& piece = line_.front();
    if (piece.kind == TPiece::kTimeout) {
      line_.pop_front();
      return true;  // the read ends short here
    }
    if (piece.kind == TPiece::kReadError) {
      error = piece.error;
      line_.pop_front();
      return false;
    }
    const std::size_t n = std::min(size - received, piece.bytes.size());
    std::copy_n(piece.bytes.begin(), n, data + received);
    piece.bytes.erase(piece.bytes.begin(), piece.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    received += n;
    if (piece.bytes.empty()) line_.pop_front();
  }
  return true;
}

std::string TMemorySerial::ErrorText(SystemError error) {
  return "Memory link error " + std::to_string(error);
}

}  // namespace notarel
