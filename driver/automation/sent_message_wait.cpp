#include "sent_message_wait.h"

#include <windows.h>

namespace notarel {

void WaitServingSentMessages(std::uint32_t ms) {
  // Wakes for sent messages only, including one that arrived before the call.
  MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
  // PeekMessage hands the pending sent messages to their window procedures
  // before it looks at the queue; limited to sent messages and leaving the
  // queue as it is, it takes no posted message out.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace notarel
