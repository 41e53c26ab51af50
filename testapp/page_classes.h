#pragma once
// The factories of the application's pages, in the order of the page list.
#include <memory>

#include "page.h"

std::unique_ptr<TPage> CreateAcceptPage();
std::unique_ptr<TPage> CreateCommandPage();
std::unique_ptr<TPage> CreateBillPage();
std::unique_ptr<TPage> CreateParamPage();
std::unique_ptr<TPage> CreatePollPage();
std::unique_ptr<TPage> CreateConnectPage();
std::unique_ptr<TPage> CreateFindDevicePage();
