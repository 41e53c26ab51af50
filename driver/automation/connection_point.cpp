#include "connection_point.h"

#include "com_enum.h"

namespace notarel {
namespace {

// Connection points are held with a reference; connection data hold one
// on their sink. The caller of Next gets a reference of its own.
struct TPointTraits {
  static void Hold(IConnectionPoint* point) { point->AddRef(); }
  static void Drop(IConnectionPoint* point) { point->Release(); }
  static bool CopyOut(IConnectionPoint* point, IConnectionPoint*& out) {
    out = point;
    Hold(out);
    return true;
  }
};

struct TConnectionTraits {
  static void Hold(CONNECTDATA& data) { data.pUnk->AddRef(); }
  static void Drop(CONNECTDATA& data) { data.pUnk->Release(); }
  static bool CopyOut(const CONNECTDATA& data, CONNECTDATA& out) {
    out = data;
    Hold(out);
    return true;
  }
};

using TEnumPoints =
    TComEnum<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints, TPointTraits>;
using TEnumConnections =
    TComEnum<IEnumConnections, CONNECTDATA, &IID_IEnumConnections, TConnectionTraits>;

}  // namespace

TEventConnectionPoint::TEventConnectionPoint(IUnknown* outer, IConnectionPointContainer* container,
                                             REFIID eventIid)
    : FOuter(outer), FContainer(container), FEventIid(eventIid) {}

TEventConnectionPoint::~TEventConnectionPoint() {
  for (IDispatch* sink : FSinks) {
    if (sink) sink->Release();
  }
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = FEventIid;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE
TEventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = FContainer;
  FContainer->AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  for (IDispatch* connected : FSinks) {
    if (connected) return CONNECT_E_CANNOTCONNECT;
  }
  // Events are delivered through IDispatch::Invoke; a sink that answers
  // neither the event interface nor IDispatch cannot take them.
  TComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(FEventIid, dispatch.OutVoid())) &&
      FAILED(sink->QueryInterface(IID_IDispatch, dispatch.OutVoid()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  FSinks.push_back(dispatch.Detach());
  *cookie = static_cast<DWORD>(FSinks.size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > FSinks.size() || !FSinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
  std::exchange(FSinks[cookie - 1], nullptr)->Release();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventConnectionPoint::EnumConnections(IEnumConnections** out) {
  std::vector<CONNECTDATA> connections;
  for (std::size_t i = 0; i < FSinks.size(); ++i) {
    if (FSinks[i]) connections.push_back(CONNECTDATA{FSinks[i], static_cast<DWORD>(i + 1)});
  }
  return TEnumConnections::Create(std::move(connections), out);
}

TComPtr<IDispatch> TEventConnectionPoint::Sink(std::size_t index) const {
  return TComPtr<IDispatch>::Share(index < FSinks.size() ? FSinks[index] : nullptr);
}

TConnectionPointContainer::TConnectionPointContainer(IUnknown* outer, REFIID eventIid)
    : FOuter(outer), FPoint(outer, this, eventIid) {}

HRESULT STDMETHODCALLTYPE TConnectionPointContainer::QueryInterface(REFIID iid, void** out) {
  return FOuter->QueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE
TConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** out) {
  return TEnumPoints::Create(std::vector<IConnectionPoint*>{&FPoint}, out);
}

HRESULT STDMETHODCALLTYPE TConnectionPointContainer::FindConnectionPoint(REFIID iid,
                                                                         IConnectionPoint** out) {
  if (!out) return E_POINTER;
  IID own;
  FPoint.GetConnectionInterface(&own);
  if (!IsEqualIID(iid, own)) {
    *out = nullptr;
    return CONNECT_E_NOCONNECTION;
  }
  *out = &FPoint;
  FPoint.AddRef();
  return S_OK;
}

}  // namespace notarel
