// The module's count of live objects and of class-object locks, behind
// DllCanUnloadNow. It sits with the OLE control plumbing, whose enumerators
// are objects of the module as much as the controls and pages are.
#include <atomic>

#include "module.h"

namespace notarel {
namespace {

std::atomic<long> gObjects{0};
std::atomic<long> gLocks{0};

}  // namespace

void ModuleAddObject() { ++gObjects; }
void ModuleReleaseObject() { --gObjects; }
void ModuleLock(bool lock) {
  if (lock) {
    ++gLocks;
  } else {
    --gLocks;
  }
}
bool ModuleInUse() { return gObjects.load() != 0 || gLocks.load() != 0; }

}  // namespace notarel
