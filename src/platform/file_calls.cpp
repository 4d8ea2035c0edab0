#include "platform/platform.h"

namespace platform {
namespace {

FileCalls &InUse() {
  static FileCalls calls = SystemFileCalls();
  return calls;
}

} // namespace

const FileCalls &Files() {
  return InUse();
}

FileCalls SetFileCalls(const FileCalls &calls) {
  FileCalls previous = InUse();
  InUse() = calls;
  return previous;
}

} // namespace platform
