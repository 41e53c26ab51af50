#include "notify_thread.h"

#include <utility>

namespace notarel {

TNotifyThread::TNotifyThread(Procedure procedure)
    : thread_([this, procedure = std::move(procedure)] {
        id_.store(std::this_thread::get_id());
        if (procedure) procedure(*this);
      }) {}

TNotifyThread::~TNotifyThread() {
  if (!thread_.joinable()) return;
  if (IsCurrent()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void TNotifyThread::WaitFor() {
  if (thread_.joinable() && !IsCurrent()) thread_.join();
}

}  // namespace notarel
