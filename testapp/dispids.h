#pragma once
// DISPIDs of the control's members and events, from the member table:
// kDispName for each property and method (kDispDenomination1 + 0 to + 7 are
// Denomination1 to Denomination8), kDispEventName for each event of IWBAEvents.
#include <windows.h>

#include "automation_members.h"

#define NOTAREL_DISPID_OF_(iface, name, dispid, ...) constexpr DISPID kDisp##name = dispid;
NOTAREL_AUTOMATION_MEMBERS(NOTAREL_DISPID_OF_, NOTAREL_DISPID_OF_, NOTAREL_DISPID_OF_)
#undef NOTAREL_DISPID_OF_

#define NOTAREL_EVENT_DISPID_OF_(name, dispid, ...) constexpr DISPID kDispEvent##name = dispid;
NOTAREL_AUTOMATION_EVENTS(NOTAREL_EVENT_DISPID_OF_)
#undef NOTAREL_EVENT_DISPID_OF_

static_assert(kDispDenomination8 == kDispDenomination1 + 7, "the eight flags are numbered in a row");
