#include "connection_point.h"

#include <new>

namespace notarel {
namespace {

// A snapshot enumerator over a fixed list of items, each held with a
// reference (connection points) or copied with one (connection data).
template <class Interface, class Item, const IID* Iid>
class TSnapshotEnum : public Interface {
 public:
  explicit TSnapshotEnum(std::vector<Item> items, std::size_t position = 0)
      : FItems(std::move(items)), FPosition(position) {
    for (Item& item : FItems) Hold(item);
  }
  virtual ~TSnapshotEnum() {
    for (Item& item : FItems) Drop(item);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, *Iid)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&FRefs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && FPosition < FItems.size(); ++done, ++FPosition) {
      out[done] = FItems[FPosition];
      Hold(out[done]);
    }
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = FItems.size() - FPosition;
    FPosition += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FPosition = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) TSnapshotEnum(FItems, FPosition);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

 private:
  static void Hold(IConnectionPoint* point) { point->AddRef(); }
  static void Drop(IConnectionPoint* point) { point->Release(); }
  static void Hold(CONNECTDATA& data) { data.pUnk->AddRef(); }
  static void Drop(CONNECTDATA& data) { data.pUnk->Release(); }

  LONG FRefs = 1;
  std::vector<Item> FItems;
  std::size_t FPosition;
};

using TEnumPoints = TSnapshotEnum<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>;
using TEnumConnections = TSnapshotEnum<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;

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
  if (!out) return E_POINTER;
  std::vector<CONNECTDATA> connections;
  for (std::size_t i = 0; i < FSinks.size(); ++i) {
    if (FSinks[i]) connections.push_back(CONNECTDATA{FSinks[i], static_cast<DWORD>(i + 1)});
  }
  *out = new (std::nothrow) TEnumConnections(std::move(connections));
  return *out ? S_OK : E_OUTOFMEMORY;
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
  if (!out) return E_POINTER;
  *out = new (std::nothrow) TEnumPoints(std::vector<IConnectionPoint*>{&FPoint});
  return *out ? S_OK : E_OUTOFMEMORY;
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
