// The lifetime of the hosted COM objects, one model for DirectDraw,
// DirectInput and DirectSound; for the hosted modules only.
//
// An object starts with one reference, and AddRef and Release count them.
// When the count reaches 0 the object lets go of what it holds (memory,
// device contexts, its references on other objects: Released) but its shell
// stays until the next process starts, so that a call on a released object is
// answered instead of touching freed memory: AddRef and Release return 0,
// every other method the library's error for a released object. A library
// keeps the shells of each class in a ComShells, which also tells the live
// objects it made from anything else a caller hands in.
#pragma once

#include <cstring>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/hosted/hosted_view.h"
#include "platform/hosted/windows.h"

namespace hosted {

inline bool SameGuid(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// `Interface` with the lifetime above. QueryInterface answers for kIid,
// IID_IUnknown and what OtherInterface offers; it returns kNullPointer for a null out-pointer and
// kReleased on a released object, each library's own results for those.
template <typename Interface, const IID& kIid, HRESULT kNullPointer, HRESULT kReleased>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) final {
    if (object == nullptr) return kNullPointer;
    *object = nullptr;
    if (!live_) return kReleased;
    void* found = SameGuid(riid, kIid) || SameGuid(riid, IID_IUnknown)
                      ? static_cast<Interface*>(this)
                      : OtherInterface(riid);
    if (found == nullptr) return E_NOINTERFACE;
    AddRef();
    *object = found;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() final { return live_ ? ++references_ : 0; }
  ULONG STDMETHODCALLTYPE Release() final {
    if (!live_) return 0;
    if (--references_ > 0) return references_;
    live_ = false;
    Released();
    return 0;
  }

  bool Live() const { return live_; }
  ULONG References() const { return references_; }

 protected:
  ~ComObject() = default;
  // Called once, when the last reference has gone.
  virtual void Released() {}
  // Another interface that the object answers for, one that shares its
  // references (its AddRef and Release are the object's); null for none.
  virtual void* OtherInterface(REFIID /*riid*/) { return nullptr; }

 private:
  ULONG references_ = 1;
  bool live_ = true;
};

// Every object of class `Object`, a ComObject implementing `Interface`, made
// in this process, live or released; a new process starts with a new one.
// `Object` may still be incomplete where this is declared.
template <typename Object, typename Interface>
class ComShells {
 public:
  // A new live object with one reference.
  template <typename... Arguments>
  Object* Make(Arguments&&... arguments) {
    shells_.push_back(std::make_unique<Object>(std::forward<Arguments>(arguments)...));
    Object* made = shells_.back().get();
    known_.insert(static_cast<const Interface*>(made));
    return made;
  }

  // `pointer` as one of these objects while it is live; null for a released
  // one and for anything that is not one of them.
  Object* Live(const Interface* pointer) const {
    if (pointer == nullptr || known_.count(static_cast<const void*>(pointer)) == 0) return nullptr;
    auto* object = static_cast<Object*>(const_cast<Interface*>(pointer));
    return object->Live() ? object : nullptr;
  }

  // The object made last, live or released; null before the first.
  Object* Last() const { return shells_.empty() ? nullptr : shells_.back().get(); }
  // The object made `index`-th (from 0), live or released; null past the last.
  Object* At(size_t index) const { return index < shells_.size() ? shells_[index].get() : nullptr; }

 private:
  std::vector<std::unique_ptr<Object>> shells_;
  // By address alone, so that every library's shells share one set's code.
  std::unordered_set<const void*> known_;
};

}  // namespace hosted
