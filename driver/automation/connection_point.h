#pragma once
// The control's event connection: one connection point for one outgoing
// interface, holding at most one sink at a time, and the container that hands
// it out. Neither is a COM object of its own: their IUnknown reference counts
// are the control's, so the control keeps one identity and lifetime.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "com_ptr.h"

namespace notarel {

class TEventConnectionPoint : public IConnectionPoint {
 public:
  TEventConnectionPoint(IUnknown* outer, IConnectionPointContainer* container, REFIID eventIid);
  ~TEventConnectionPoint();
  TEventConnectionPoint(const TEventConnectionPoint&) = delete;
  TEventConnectionPoint& operator=(const TEventConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return FOuter->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return FOuter->Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  // Fails with CONNECT_E_CANNOTCONNECT while a sink is connected. The cookie
  // is the sink's position in the list, counted from 1.
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  // Leaves the sink's entry in the list, empty.
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  // The sink list as it is: empty entries are null. Read without a lock on
  // the polling thread; clients connect before polling and disconnect after.
  std::size_t SinkCount() const { return FSinks.size(); }
  // The sink at an index with a reference of its own, or an empty pointer.
  TComPtr<IDispatch> Sink(std::size_t index) const;

 private:
  IUnknown* FOuter;
  IConnectionPointContainer* FContainer;
  IID FEventIid;
  std::vector<IDispatch*> FSinks;
};

class TConnectionPointContainer : public IConnectionPointContainer {
 public:
  TConnectionPointContainer(IUnknown* outer, REFIID eventIid);
  TConnectionPointContainer(const TConnectionPointContainer&) = delete;
  TConnectionPointContainer& operator=(const TConnectionPointContainer&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return FOuter->AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return FOuter->Release(); }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

  TEventConnectionPoint& Point() { return FPoint; }

 private:
  IUnknown* FOuter;
  TEventConnectionPoint FPoint;
};

}  // namespace notarel
