#pragma once
// The control's wait for a polling loop that is finishing. The loop's Bill
// handler belongs to the client and commonly waits for the client's window
// thread (it sets a window's text, or sends the window its question); that
// thread may be the one waiting here, so the wait keeps serving the messages
// other threads send to it. Posted messages stay queued for the client's own
// message loop: no input, timer or posted COM call is dispatched from here.
#include <cstdint>

namespace notarel {

// Returns within about ms milliseconds, at once when a message sent by
// another thread arrives; serves the sent messages that are pending. Any thread.
void WaitServingSentMessages(std::uint32_t ms);

}  // namespace notarel
