// Saving and loading the control: the property bag holds the control's
// read/write properties by name in interface order; streams and storages
// hold the window's extent.
#include "test_control.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TControlHolder {
  TTestControl* Control = new TTestControl();
  ~TControlHolder() { Control->Release(); }
};

SIZEL DefaultExtent() {
  HDC screen = GetDC(nullptr);
  const SIZEL size{MulDiv(40, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                   MulDiv(40, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
  ReleaseDC(nullptr, screen);
  return size;
}

TEST(OlePropertyBag, SaveWritesEveryPropertyByNameInInterfaceOrder) {
  TControlHolder holder;
  holder.Control->Properties()[L"PortNumber"] = TTestVariant::I4(7);
  holder.Control->Properties()[L"Denomination3"] = TTestVariant::Bool(true);
  holder.Control->Properties()[L"CurrencyName"] = TTestVariant::Text(L"рубль");
  IPersistPropertyBag* persist = holder.Control->Query<IPersistPropertyBag>();
  TTestPropertyBag bag;
  ASSERT_EQ(S_OK, persist->Save(&bag, TRUE, TRUE));
  persist->Release();

  const std::vector<std::wstring> expected = {
      L"PortNumber",    L"Denomination1",  L"Denomination2",    L"Denomination3", L"Denomination4",
      L"Denomination5", L"Denomination6",  L"Denomination7",    L"Denomination8", L"InhibitStatus",
      L"DirectionValue", L"OptionalSettings", L"BaudRate",      L"PollingInterval", L"ErrorTimeout",
      L"BillEnabled",   L"ParentWnd",      L"BillCode",         L"BillSumm",      L"CountryCode",
      L"CountryIndex",  L"CurrencyIndex",  L"CurrencyName",     L"FileName",
  };
  std::vector<std::wstring> written, reads;
  for (const auto& entry : bag.Values) written.push_back(entry.first);
  EXPECT_EQ(expected, written);
  for (const auto& name : expected) reads.push_back(L"get " + name);
  EXPECT_EQ(reads, holder.Control->Calls()) << "each value is read through the dispatch, nothing written";

  ASSERT_EQ(24u, bag.Values.size());
  EXPECT_EQ(VT_I4, V_VT(&bag.Values[0].second.Get()));
  EXPECT_EQ(7, V_I4(&bag.Values[0].second.Get()));
  EXPECT_EQ(VARIANT_TRUE, V_BOOL(&bag.Values[3].second.Get()));
  EXPECT_EQ(std::wstring(L"рубль"), V_BSTR(&bag.Values[22].second.Get()));
}

TEST(OlePropertyBag, LoadWritesTheValuesFoundThroughTheDispatchInTheSameOrder) {
  TControlHolder source;
  source.Control->Properties()[L"PortNumber"] = TTestVariant::I4(12);
  source.Control->Properties()[L"BaudRate"] = TTestVariant::I4(19200);
  source.Control->Properties()[L"BillEnabled"] = TTestVariant::Bool(true);
  source.Control->Properties()[L"FileName"] = TTestVariant::Text(L"C:\\notarel.xml");
  TTestPropertyBag bag;
  IPersistPropertyBag* saver = source.Control->Query<IPersistPropertyBag>();
  ASSERT_EQ(S_OK, saver->Save(&bag, TRUE, TRUE));
  saver->Release();

  TControlHolder target;
  IPersistPropertyBag* loader = target.Control->Query<IPersistPropertyBag>();
  ASSERT_EQ(S_OK, loader->InitNew());
  ASSERT_EQ(S_OK, loader->Load(&bag, nullptr));
  loader->Release();

  std::vector<std::wstring> puts;
  for (const auto& name : kBagNames) puts.push_back(L"put " + name);
  EXPECT_EQ(puts, target.Control->Calls());
  auto& loaded = target.Control->Properties();
  EXPECT_EQ(12, V_I4(&loaded[L"PortNumber"].Get()));
  EXPECT_EQ(19200, V_I4(&loaded[L"BaudRate"].Get()));
  EXPECT_EQ(VARIANT_TRUE, V_BOOL(&loaded[L"BillEnabled"].Get()));
  EXPECT_EQ(std::wstring(L"C:\\notarel.xml"), V_BSTR(&loaded[L"FileName"].Get()));
}

TEST(OlePropertyBag, MissingNamesAreSkippedAndARefusedValueFailsTheLoad) {
  TControlHolder holder;
  TTestPropertyBag bag;
  bag.Values.emplace_back(L"ErrorTimeout", TTestVariant::Text(L"5000"));  // text, as a text bag holds it
  bag.Values.emplace_back(L"PortNumber", TTestVariant::I4(3));
  IPersistPropertyBag* persist = holder.Control->Query<IPersistPropertyBag>();
  ASSERT_EQ(S_OK, persist->Load(&bag, nullptr));
  const std::vector<std::wstring> puts = {L"put PortNumber", L"put ErrorTimeout"};
  EXPECT_EQ(puts, holder.Control->Calls());
  EXPECT_EQ(5000, V_I4(&holder.Control->Properties()[L"ErrorTimeout"].Get()));

  TTestPropertyBag refused;
  refused.Values.emplace_back(L"BaudRate", TTestVariant::Text(L"fast"));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, persist->Load(&refused, nullptr));
  EXPECT_EQ(E_POINTER, persist->Load(nullptr, nullptr));
  persist->Release();
}

TEST(OlePersistStream, ExtentRoundTripsAndDirtyFollowsSaves) {
  TControlHolder source;
  IOleObject* object = source.Control->Query<IOleObject>();
  IPersistStreamInit* persist = source.Control->Query<IPersistStreamInit>();
  ASSERT_EQ(S_OK, persist->InitNew());
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  SIZEL size{2000, 1000};
  ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
  EXPECT_EQ(DV_E_DVASPECT, object->SetExtent(DVASPECT_ICON, &size));
  EXPECT_EQ(S_OK, persist->IsDirty());

  IStream* stream = nullptr;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ULARGE_INTEGER max{};
  ASSERT_EQ(S_OK, persist->GetSizeMax(&max));
  ASSERT_EQ(S_OK, persist->Save(stream, TRUE));
  EXPECT_EQ(S_FALSE, persist->IsDirty());
  STATSTG stat{};
  ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
  EXPECT_LE(stat.cbSize.QuadPart, max.QuadPart);

  TControlHolder target;
  IPersistStreamInit* loader = target.Control->Query<IPersistStreamInit>();
  IOleObject* loaded = target.Control->Query<IOleObject>();
  SIZEL before{};
  ASSERT_EQ(S_OK, loaded->GetExtent(DVASPECT_CONTENT, &before));
  EXPECT_EQ(DefaultExtent().cx, before.cx);
  EXPECT_EQ(DefaultExtent().cy, before.cy);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(S_OK, loader->Load(stream));
  SIZEL after{};
  ASSERT_EQ(S_OK, loaded->GetExtent(DVASPECT_CONTENT, &after));
  EXPECT_EQ(2000, after.cx);
  EXPECT_EQ(1000, after.cy);
  // A stream that ends early is refused.
  stream->Seek(start, STREAM_SEEK_END, nullptr);
  EXPECT_TRUE(FAILED(loader->Load(stream)));

  stream->Release();
  loaded->Release();
  loader->Release();
  persist->Release();
  object->Release();
}

TEST(OlePersistStorage, SavesClassAndExtentIntoTheContainersStorage) {
  IStorage* storage = nullptr;
  ASSERT_EQ(S_OK, StgCreateDocfile(nullptr,
                                   STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                                   &storage));
  TControlHolder source;
  IPersistStorage* saver = source.Control->Query<IPersistStorage>();
  IOleObject* object = source.Control->Query<IOleObject>();
  ASSERT_EQ(S_OK, saver->InitNew(storage));
  SIZEL size{3000, 1500};
  ASSERT_EQ(S_OK, object->SetExtent(DVASPECT_CONTENT, &size));
  ASSERT_EQ(S_OK, saver->Save(storage, TRUE));
  ASSERT_EQ(S_OK, saver->SaveCompleted(nullptr));
  EXPECT_EQ(S_FALSE, saver->IsDirty());

  CLSID stored{}, own{};
  ASSERT_EQ(S_OK, ReadClassStg(storage, &stored));
  ASSERT_EQ(S_OK, saver->GetClassID(&own));
  EXPECT_EQ(own, stored);

  TControlHolder target;
  IPersistStorage* loader = target.Control->Query<IPersistStorage>();
  IOleObject* loaded = target.Control->Query<IOleObject>();
  ASSERT_EQ(S_OK, loader->Load(storage));
  SIZEL after{};
  ASSERT_EQ(S_OK, loaded->GetExtent(DVASPECT_CONTENT, &after));
  EXPECT_EQ(3000, after.cx);
  EXPECT_EQ(1500, after.cy);

  loaded->Release();
  loader->Release();
  object->Release();
  saver->Release();
  storage->Release();
}

}  // namespace
