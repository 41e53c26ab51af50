// The status request and the decoding of its reply.
#include "device_vocabulary.h"
#include "driver.h"
#include "status_tables.h"

namespace notarel {

void TDriver::DecodeStatusData(std::uint8_t status, std::uint8_t data) {
  const std::string name = StatusName(status);
  switch (status) {
    case kStatusEscrow:
      denomination_.store(data);
      billCode_.store(data);
      break;
    case kStatusRejecting:
      rejectionCode_.store(data);
      rejectionDescription_.Set(notarel::RejectionDescription(data));
      statusDescription_.Set(name + ": " + notarel::RejectionDescription(data));
      break;
    case kStatusFailure:
      failureCode_.store(data);
      failureDescription_.Set(notarel::FailureDescription(data));
      statusDescription_.Set(name + ": " + notarel::FailureDescription(data));
      break;
    default:
      break;
  }
}

bool TDriver::ReadStatus() {
  return DeviceOperation([&] {
    if (!Exchange({kCommandStatusRequest})) return false;
    const Bytes reply = ReplyData();
    const std::uint8_t status = reply[0];
    statusCode_.store(status);
    statusDescription_.Set(StatusName(status));
    if (!StatusCarriesData(status)) return true;
    // A missing data byte is taken as 0; the fields are still set and the result is -6.
    const bool complete = CheckReplyLength(kStatusReplyWithData);
    DecodeStatusData(status, complete ? reply[1] : 0);
    return complete;
  });
}

}  // namespace notarel
