// Creating the controls as clients do, the interfaces each one answers, and
// the module's answers to what it does not serve.
#include <objsafe.h>

#include <utility>

#include "automation_test.h"
#include "event_sink_base.h"

namespace notarel::test {
namespace {

const CLSID* const kBothClasses[] = {&CLSID_Notarel, &CLSID_Notarel2};

TEST(Creation, ByProgIdGivesTheRegisteredClass) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"RUDLib.Notarel", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Notarel));
  ASSERT_EQ(CLSIDFromProgID(L"RUDLib.Notarel2", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Notarel2));
  TComPtr<IDispatch> dispatch;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.OutVoid()),
            S_OK);
}

TEST(Creation, BothClassesAnswerTheAutomationInterfacesWithOnePointer) {
  for (const CLSID* clsid : kBothClasses) {
    TComPtr<IWBA003_4> control = CreateControl(*clsid);
    ASSERT_TRUE(control);
    for (const IID* iid : {&IID_IWBA003, &IID_IWBA003_2, &IID_IWBA003_3, &IID_IWBA003_4, &IID_IDispatch}) {
      TComPtr<IUnknown> other;
      ASSERT_EQ(control->QueryInterface(*iid, other.OutVoid()), S_OK);
      EXPECT_EQ(other.Get(), static_cast<IUnknown*>(control.Get()));
    }
    for (const IID* iid : {&IID_ISupportErrorInfo, &IID_IProvideClassInfo,
                           &IID_IConnectionPointContainer}) {
      TComPtr<IUnknown> other;
      EXPECT_EQ(control->QueryInterface(*iid, other.OutVoid()), S_OK);
    }
    // Every interface leads back to one identity.
    TComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
    TComPtr<IUnknown> viaContainer, viaControl;
    container->QueryInterface(IID_IUnknown, viaContainer.OutVoid());
    control->QueryInterface(IID_IUnknown, viaControl.OutVoid());
    EXPECT_EQ(viaContainer.Get(), viaControl.Get());
  }
}

TEST(Creation, ErrorInfoIsSupportedOnEveryInterfaceAMemberIsCalledThrough) {
  // A vtable client asks with the IID it called through; a script host asks
  // with IDispatch. Each asks the pointer it holds.
  for (const CLSID* clsid : kBothClasses) {
    TComPtr<IWBA003_4> control = CreateControl(*clsid);
    ASSERT_TRUE(control);
    for (const IID* iid : {&IID_IWBA003, &IID_IWBA003_2, &IID_IWBA003_3, &IID_IWBA003_4, &IID_IDispatch}) {
      TComPtr<IUnknown> pointer;
      ASSERT_EQ(control->QueryInterface(*iid, pointer.OutVoid()), S_OK);
      TComPtr<ISupportErrorInfo> support;
      ASSERT_EQ(pointer->QueryInterface(IID_ISupportErrorInfo, support.OutVoid()), S_OK);
      WCHAR name[40] = {};
      StringFromGUID2(*iid, name, 40);
      EXPECT_EQ(support->InterfaceSupportsErrorInfo(*iid), S_OK) << std::string(name, name + 38);
    }
    // The standard control interfaces post no error records.
    TComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(control->QueryInterface(IID_ISupportErrorInfo, support.OutVoid()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IOleObject), S_FALSE);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IConnectionPointContainer), S_FALSE);
  }
}

TEST(Creation, TheStandardControlInterfacesShareTheControlsIdentity) {
  TComPtr<IWBA003_4> control = CreateControl(CLSID_Notarel);
  ASSERT_TRUE(control);
  TComPtr<IUnknown> identity;
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
  for (const IID* iid : {&IID_IOleObject, &IID_IOleControl, &IID_IOleInPlaceObject,
                         &IID_IOleInPlaceActiveObject, &IID_IViewObject2, &IID_IDataObject,
                         &IID_IPersistStreamInit, &IID_IPersistStorage, &IID_IPersistPropertyBag,
                         &IID_ISpecifyPropertyPages, &IID_IPerPropertyBrowsing, &IID_IQuickActivate,
                         &IID_IObjectSafety}) {
    TComPtr<IUnknown> part;
    ASSERT_EQ(control->QueryInterface(*iid, part.OutVoid()), S_OK);
    TComPtr<IUnknown> back;
    ASSERT_EQ(part->QueryInterface(IID_IUnknown, back.OutVoid()), S_OK);
    EXPECT_EQ(back.Get(), identity.Get());
  }
  // The persisted class ID is the class the control was created as.
  TComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, persist.OutVoid()), S_OK);
  CLSID clsid{};
  ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Notarel));
}

TEST(Creation, UnknownInterfacesAndClassesAreRefused) {
  TComPtr<IWBA003_4> control = CreateControl(CLSID_Notarel2);
  ASSERT_TRUE(control);
  TComPtr<IUnknown> none;
  EXPECT_EQ(control->QueryInterface(IID_ISimpleFrameSite, none.OutVoid()), E_NOINTERFACE);
  EXPECT_EQ(none.Get(), nullptr);
  EXPECT_EQ(control->QueryInterface(IID_IClassFactory, none.OutVoid()), E_NOINTERFACE);

  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllGetClassObject")));
  ASSERT_NE(getClassObject, nullptr);
  void* factory = reinterpret_cast<void*>(1);
  EXPECT_EQ(getClassObject(IID_IWBA003, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(factory, nullptr);
  TComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(IID_IWBA003_4, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.OutVoid()),
            REGDB_E_CLASSNOTREG);
  // A control cannot be aggregated.
  TComPtr<IClassFactory> classFactory;
  ASSERT_EQ(getClassObject(CLSID_Notarel, IID_IClassFactory, classFactory.OutVoid()), S_OK);
  EXPECT_EQ(classFactory->CreateInstance(control.Get(), IID_IUnknown, object.OutVoid()),
            CLASS_E_NOAGGREGATION);
}

TEST(Creation, UnloadIsRefusedWhileAnObjectOrLockLives) {
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllCanUnloadNow")));
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto getClassObject = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllGetClassObject")));
  ASSERT_NE(canUnload, nullptr);
  ASSERT_NE(getClassObject, nullptr);
  TComPtr<IClassFactory> factory;
  ASSERT_EQ(getClassObject(CLSID_Notarel2, IID_IClassFactory, factory.OutVoid()), S_OK);
  EXPECT_EQ(canUnload(), S_OK);
  TComPtr<IWBA003_4> control;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IWBA003_4, control.OutVoid()), S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);
  control.Reset();
  EXPECT_EQ(canUnload(), S_OK);
  factory->LockServer(TRUE);
  EXPECT_EQ(canUnload(), S_FALSE);
  factory->LockServer(FALSE);
  EXPECT_EQ(canUnload(), S_OK);
}

// A sink that takes no events; it lives on the test's stack.
class IdleSink : public EventSinkBase {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return S_OK;
  }
};

// An enumerator the control hands out, and a clone of it.
struct Enumerators {
  TComPtr<IUnknown> original;
  TComPtr<IUnknown> clone;
};

template <class Enum>
Enumerators WithClone(Enum* enumerator) {
  TComPtr<Enum> clone;
  if (enumerator) {
    EXPECT_EQ(enumerator->Clone(clone.Out()), S_OK);
  }
  return {TComPtr<IUnknown>::Share(enumerator), TComPtr<IUnknown>::Share(clone.Get())};
}

using MakeEnumerators = Enumerators (*)(IWBA003_4* control, IDispatch* sink);

Enumerators Verbs(IWBA003_4* control, IDispatch*) {
  TComPtr<IOleObject> ole;
  TComPtr<IEnumOLEVERB> verbs;
  EXPECT_EQ(control->QueryInterface(IID_IOleObject, ole.OutVoid()), S_OK);
  if (ole) {
    EXPECT_EQ(ole->EnumVerbs(verbs.Out()), S_OK);
  }
  return WithClone(verbs.Get());
}

Enumerators ConnectionPoints(IWBA003_4* control, IDispatch*) {
  TComPtr<IConnectionPointContainer> container;
  TComPtr<IEnumConnectionPoints> points;
  EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
  if (container) {
    EXPECT_EQ(container->EnumConnectionPoints(points.Out()), S_OK);
  }
  return WithClone(points.Get());
}

Enumerators Connections(IWBA003_4* control, IDispatch* sink) {
  TComPtr<IConnectionPointContainer> container;
  TComPtr<IConnectionPoint> point;
  TComPtr<IEnumConnections> connections;
  EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
  if (container) {
    EXPECT_EQ(container->FindConnectionPoint(DIID_IWBAEvents, point.Out()), S_OK);
  }
  DWORD cookie = 0;
  if (point) {
    EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
    EXPECT_EQ(point->EnumConnections(connections.Out()), S_OK);
  }
  return WithClone(connections.Get());
}

TEST(Creation, UnloadIsRefusedWhileAnEnumeratorOfTheControlLives) {
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(ServerModule(), "DllCanUnloadNow")));
  ASSERT_NE(canUnload, nullptr);
  const std::pair<const char*, MakeEnumerators> kinds[] = {
      {"EnumVerbs", &Verbs}, {"EnumConnectionPoints", &ConnectionPoints}, {"EnumConnections", &Connections}};
  for (const auto& [name, make] : kinds) {
    IdleSink sink;
    ASSERT_EQ(canUnload(), S_OK) << name;
    TComPtr<IWBA003_4> control = CreateControl(CLSID_Notarel2);
    ASSERT_TRUE(control);
    Enumerators made = make(control.Get(), &sink);
    ASSERT_TRUE(made.original && made.clone) << name;
    control.Reset();
    EXPECT_EQ(canUnload(), S_FALSE) << name << " and its clone alive, the control released";
    made.original.Reset();
    EXPECT_EQ(canUnload(), S_FALSE) << "the clone of " << name << " alive";
    made.clone.Reset();
    EXPECT_EQ(canUnload(), S_OK) << name << " and its clone released";
  }
}

TEST(Creation, ClassInfoShowsTheEventSourceOnlyOnNotarel2) {
  for (const CLSID* clsid : kBothClasses) {
    TComPtr<IWBA003_4> control = CreateControl(*clsid);
    ASSERT_TRUE(control);
    TComPtr<IProvideClassInfo> provide;
    ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo, provide.OutVoid()), S_OK);
    TComPtr<ITypeInfo> info;
    ASSERT_EQ(provide->GetClassInfo(info.Out()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualCLSID(attr->guid, *clsid));
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    const WORD implemented = attr->cImplTypes;
    info->ReleaseTypeAttr(attr);
    int sources = 0;
    for (UINT i = 0; i < implemented; ++i) {
      INT flags = 0;
      ASSERT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
      if (flags & IMPLTYPEFLAG_FSOURCE) {
        ++sources;
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
      }
    }
    EXPECT_EQ(sources, clsid == &CLSID_Notarel2 ? 1 : 0);
  }
}

}  // namespace
}  // namespace notarel::test
