#include "catalogue_fixtures.h"

namespace {

ProgressCapture *g_progress = nullptr;
platform::HostHooks g_previous{};

} // namespace

ProgressCapture::ProgressCapture() {
  g_progress = this;
  g_previous = platform::SetHostHooks(platform::HostHooks{});
  platform::HostHooks hooks = g_previous;
  hooks.progressOverallPos = [](uint64_t pos) { g_progress->overallPositions.push_back(pos); };
  hooks.progressItemTotal = [](uint64_t total) { g_progress->itemTotals.push_back(total); };
  hooks.progressInfo = [](const wchar_t *text) { g_progress->infos.push_back(text); };
  hooks.progressTitle = [](const wchar_t *text) { g_progress->titles.push_back(text); };
  hooks.pollUserCancel = [] {
    ++g_progress->cancelChecks;
    return g_progress->cancelAnswer;
  };
  hooks.cancelRequested = [] {
    ++g_progress->cancelChecks;
    return g_progress->cancelAnswer;
  };
  platform::SetHostHooks(hooks);
}

ProgressCapture::~ProgressCapture() {
  platform::SetHostHooks(g_previous);
  g_progress = nullptr;
}

bool ProgressCapture::HasInfoStartingWith(const std::wstring &prefix) const {
  for (const std::wstring &info : infos)
    if (info.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}
