// What a container learns from the control before it shows it: the
// interfaces it answers, its verbs, misc status, property pages and the
// scripting safety it reports.
#include "test_control.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Releases the test's reference on the way out of each test.
struct TControlHolder {
  TTestControl* Control = new TTestControl();
  ~TControlHolder() { Control->Release(); }
};

TEST(OleControlIdentity, AnswersEveryStandardControlInterfaceThroughTheOuterObject) {
  TControlHolder holder;
  const IID interfaces[] = {
      IID_IOleObject,          IID_IOleControl,      IID_IOleWindow,         IID_IOleInPlaceObject,
      IID_IOleInPlaceActiveObject, IID_IViewObject,  IID_IViewObject2,       IID_IDataObject,
      IID_IPersist,            IID_IPersistStreamInit, IID_IPersistStorage,  IID_IPersistPropertyBag,
      IID_ISpecifyPropertyPages, IID_IPerPropertyBrowsing, IID_IQuickActivate, IID_IObjectSafety,
  };
  for (const IID& iid : interfaces) {
    IUnknown* answer = nullptr;
    ASSERT_EQ(S_OK, holder.Control->QueryInterface(iid, reinterpret_cast<void**>(&answer)));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(2, holder.Control->References()) << "the reference is the outer object's";
    // Identity: IUnknown of any interface is the outer object.
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(holder.Control), identity);
    identity->Release();
    answer->Release();
    EXPECT_EQ(1, holder.Control->References());
  }
}

TEST(OleControlIdentity, RefusesSimpleFrameSiteAndForeignInterfaces) {
  TControlHolder holder;
  for (const IID& iid : {IID_ISimpleFrameSite, IID_IConnectionPointContainer, IID_IOleInPlaceSite}) {
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, holder.Control->QueryInterface(iid, &answer));
    EXPECT_EQ(nullptr, answer);
  }
  void* answer = reinterpret_cast<void*>(1);
  EXPECT_EQ(E_NOINTERFACE, holder.Control->Base().QueryControlInterface(IID_IDispatch, &answer));
  EXPECT_EQ(nullptr, answer);
  EXPECT_EQ(1, holder.Control->References());
}

TEST(OleControlIdentity, MiscStatusOfTheContentAspectIsTheControlsFlags) {
  TControlHolder holder;
  IOleObject* object = holder.Control->Query<IOleObject>();
  DWORD status = 0;
  ASSERT_EQ(S_OK, object->GetMiscStatus(DVASPECT_CONTENT, &status));
  EXPECT_EQ(132497u, status);
  ASSERT_EQ(S_OK, object->GetMiscStatus(DVASPECT_ICON, &status));
  EXPECT_EQ(0u, status);
  CLSID clsid{};
  ASSERT_EQ(S_OK, object->GetUserClassID(&clsid));
  IPersistStreamInit* persist = holder.Control->Query<IPersistStreamInit>();
  CLSID persisted{};
  ASSERT_EQ(S_OK, persist->GetClassID(&persisted));
  EXPECT_EQ(clsid, persisted);
  EXPECT_NE(CLSID_NULL, persisted);
  persist->Release();
  object->Release();
}

TEST(OleControlVerbs, OneVerbPropertiesNumberZeroOnTheContainerMenu) {
  TControlHolder holder;
  IOleObject* object = holder.Control->Query<IOleObject>();
  IEnumOLEVERB* verbs = nullptr;
  ASSERT_EQ(S_OK, object->EnumVerbs(&verbs));
  OLEVERB verb[2]{};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, verbs->Next(2, verb, &fetched));
  ASSERT_EQ(1u, fetched);
  EXPECT_EQ(0, verb[0].lVerb);
  EXPECT_EQ(std::wstring(L"Properties"), verb[0].lpszVerbName);
  EXPECT_EQ(static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU), verb[0].grfAttribs);
  CoTaskMemFree(verb[0].lpszVerbName);

  // Reset and Clone start the list over and keep the place.
  ASSERT_EQ(S_OK, verbs->Reset());
  IEnumOLEVERB* clone = nullptr;
  ASSERT_EQ(S_OK, verbs->Clone(&clone));
  EXPECT_EQ(S_OK, clone->Skip(1));
  EXPECT_EQ(S_FALSE, clone->Next(1, verb, &fetched));
  EXPECT_EQ(0u, fetched);
  EXPECT_EQ(S_OK, verbs->Next(1, verb, nullptr));
  CoTaskMemFree(verb[0].lpszVerbName);
  clone->Release();
  verbs->Release();
  object->Release();
}

TEST(OleControlVerbs, PropertiesVerbAndPrimaryVerbShowTheProperties) {
  TControlHolder holder;
  IOleObject* object = holder.Control->Query<IOleObject>();
  EXPECT_EQ(S_OK, object->DoVerb(0, nullptr, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(S_OK, object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(2, holder.Control->ShowPropertiesCalls());
  // An unknown positive verb runs the primary verb and says so.
  EXPECT_EQ(OLEOBJ_S_INVALIDVERB, object->DoVerb(5, nullptr, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(3, holder.Control->ShowPropertiesCalls());
  EXPECT_EQ(E_NOTIMPL, object->DoVerb(OLEIVERB_OPEN, nullptr, nullptr, 0, nullptr, nullptr));
  // Activation needs a client site.
  EXPECT_EQ(E_UNEXPECTED, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(3, holder.Control->ShowPropertiesCalls());
  object->Release();
}

TEST(OleControlVerbs, FailureOfThePropertyFrameIsTheVerbsResult) {
  auto* control = new TTestControl(E_ACCESSDENIED);
  IOleObject* object = control->Query<IOleObject>();
  EXPECT_EQ(E_ACCESSDENIED, object->DoVerb(0, nullptr, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(1, control->ShowPropertiesCalls());
  object->Release();
  control->Release();
}

TEST(OleControlPages, OnePropertyPageInATaskMemoryArray) {
  TControlHolder holder;
  ISpecifyPropertyPages* pages = holder.Control->Query<ISpecifyPropertyPages>();
  CAUUID list{};
  ASSERT_EQ(S_OK, pages->GetPages(&list));
  ASSERT_EQ(1u, list.cElems);
  const CLSID page = {0xE27B2F22, 0x5587, 0x46AA, {0xAA, 0xD5, 0xC1, 0x7C, 0xB3, 0xB0, 0xBE, 0xE6}};
  EXPECT_EQ(page, list.pElems[0]);
  CoTaskMemFree(list.pElems);
  pages->Release();

  IPerPropertyBrowsing* browsing = holder.Control->Query<IPerPropertyBrowsing>();
  CLSID mapped = page;
  EXPECT_EQ(PERPROP_E_NOPAGEAVAILABLE, browsing->MapPropertyToPage(4, &mapped));
  EXPECT_EQ(CLSID_NULL, mapped);
  CALPOLESTR strings{};
  CADWORD cookies{};
  EXPECT_EQ(E_NOTIMPL, browsing->GetPredefinedStrings(4, &strings, &cookies));
  EXPECT_EQ(0u, strings.cElems);
  browsing->Release();
}

TEST(OleControlSafety, BothOptionsSupportedOneEnabledSetForAllInterfaces) {
  TControlHolder holder;
  IObjectSafety* safety = holder.Control->Query<IObjectSafety>(IID_IObjectSafety);
  DWORD supported = 0, enabled = 7;
  ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
  EXPECT_EQ(3u, supported);
  EXPECT_EQ(0u, enabled);

  ASSERT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IDispatch, 3, INTERFACESAFE_FOR_UNTRUSTED_CALLER));
  ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, &supported, &enabled));
  EXPECT_EQ(3u, supported);
  EXPECT_EQ(static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER), enabled);

  // The enabled set is the values under the mask.
  ASSERT_EQ(S_OK, safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit, INTERFACESAFE_FOR_UNTRUSTED_DATA, 3));
  ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
  EXPECT_EQ(static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_DATA), enabled);

  // Interfaces the control lacks: refused, with both sets empty.
  supported = enabled = 7;
  EXPECT_EQ(E_NOINTERFACE, safety->GetInterfaceSafetyOptions(IID_ISimpleFrameSite, &supported, &enabled));
  EXPECT_EQ(0u, supported);
  EXPECT_EQ(0u, enabled);
  EXPECT_EQ(E_NOINTERFACE, safety->SetInterfaceSafetyOptions(IID_ISimpleFrameSite, 3, 0));
  ASSERT_EQ(S_OK, safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled));
  EXPECT_EQ(static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_DATA), enabled);
  safety->Release();
}

TEST(OleControlQuickActivate, TakesTheSiteAndViewSinkAndReportsTheStatus) {
  TControlHolder holder;
  TTestSite site(nullptr, RECT{});
  TTestAdviseSink sink;
  QACONTAINER container{};
  container.cbSize = sizeof container;
  container.pClientSite = &site;
  container.pAdviseSink = &sink;
  QACONTROL control{};
  control.cbSize = sizeof control;
  IQuickActivate* quick = holder.Control->Query<IQuickActivate>();
  ASSERT_EQ(S_OK, quick->QuickActivate(&container, &control));
  EXPECT_EQ(132497u, control.dwMiscStatus);
  EXPECT_EQ(static_cast<DWORD>(VIEWSTATUS_OPAQUE), control.dwViewStatus);
  EXPECT_EQ(0u, control.dwEventCookie) << "the test control has no connection points";

  IOleObject* object = holder.Control->Query<IOleObject>();
  IOleClientSite* held = nullptr;
  ASSERT_EQ(S_OK, object->GetClientSite(&held));
  EXPECT_EQ(static_cast<IOleClientSite*>(&site), held);
  held->Release();
  IViewObject2* view = holder.Control->Query<IViewObject2>();
  IAdviseSink* viewSink = nullptr;
  DWORD aspects = 0;
  ASSERT_EQ(S_OK, view->GetAdvise(&aspects, nullptr, &viewSink));
  EXPECT_EQ(static_cast<IAdviseSink*>(&sink), viewSink);
  EXPECT_EQ(static_cast<DWORD>(DVASPECT_CONTENT), aspects);
  view->Release();

  SIZEL size{1234, 567};
  ASSERT_EQ(S_OK, quick->SetContentExtent(&size));
  SIZEL back{};
  ASSERT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &back));
  EXPECT_EQ(1234, back.cx);
  EXPECT_EQ(567, back.cy);
  ASSERT_EQ(S_OK, object->SetClientSite(nullptr));
  EXPECT_EQ(1, site.References());
  object->Release();
  quick->Release();
}

}  // namespace
