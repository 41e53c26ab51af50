#pragma once
// DISPIDs of the control's properties, as the type library RUDLib declares them.
#include <windows.h>

// IWBA003
constexpr DISPID kDispResultCode = 1;
constexpr DISPID kDispResultDescription = 2;
constexpr DISPID kDispPortNumber = 4;
constexpr DISPID kDispPortOpened = 7;
constexpr DISPID kDispInput = 8;
constexpr DISPID kDispOutput = 9;
constexpr DISPID kDispStatusCode = 10;
constexpr DISPID kDispStatusDescription = 11;
constexpr DISPID kDispDenomination = 12;
constexpr DISPID kDispRejectionCode = 13;
constexpr DISPID kDispRejectionDescription = 14;
constexpr DISPID kDispFailureCode = 15;
constexpr DISPID kDispFailureDescription = 16;
constexpr DISPID kDispFileVersion = 23;
constexpr DISPID kDispBaudRate = 24;
// Denomination1 to Denomination8 are kDispDenomination1 + 0 to + 7.
constexpr DISPID kDispDenomination1 = 31;
constexpr DISPID kDispInhibitStatus = 43;
constexpr DISPID kDispDirectionValue = 44;
constexpr DISPID kDispOptionalSettings = 46;
constexpr DISPID kDispModelID = 54;
constexpr DISPID kDispBootVersion = 56;
// IWBA003_2
constexpr DISPID kDispPollingInterval = 28;
constexpr DISPID kDispErrorTimeout = 29;
constexpr DISPID kDispPollingStarted = 39;
constexpr DISPID kDispBillEnabled = 40;
// IWBA003_3
constexpr DISPID kDispParentWnd = 58;
constexpr DISPID kDispExecTime = 60;
// IWBA003_4
constexpr DISPID kDispBillCode = 69;
constexpr DISPID kDispBillSumm = 70;
constexpr DISPID kDispCountryCode = 71;
constexpr DISPID kDispCountryCount = 72;
constexpr DISPID kDispCountryIndex = 73;
constexpr DISPID kDispCountryName = 74;
constexpr DISPID kDispCurrencyIndex = 75;
constexpr DISPID kDispCurrencyName = 76;
constexpr DISPID kDispCurrentCountryCode = 77;
constexpr DISPID kDispFileName = 78;
constexpr DISPID kDispDeviceCountryCode = 79;

// Events of IWBAEvents.
constexpr DISPID kDispEventError = 1;
constexpr DISPID kDispEventBill = 2;
constexpr DISPID kDispEventReject = 3;
constexpr DISPID kDispEventStacked = 4;
