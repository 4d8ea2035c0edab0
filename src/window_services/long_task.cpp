#include "window_services/long_task.h"

#include <cwchar>
#include <vector>

#include "platform/platform.h"

namespace {

// Main thread only, like every handler that starts a task.
struct TaskState {
  const wchar_t *running = nullptr; // the name of the task that runs, or none
  struct WaitingDrop {
    HWND view;
    HDROP drop;
  };
  std::vector<WaitingDrop> drops;
};

TaskState &Tasks() {
  static TaskState state;
  return state;
}

void LogRefusal(const wchar_t *name) {
  wchar_t line[160];
  std::swprintf(line, sizeof line / sizeof line[0], L"QEL::%ls::Refused while %ls runs", name,
                Tasks().running);
  platform::LogLine(line);
}

} // namespace

LongTask::LongTask(const wchar_t *name) : refused(RefusedWhileBusy(name)) {
  if (!refused) Tasks().running = name;
}

LongTask::~LongTask() {
  if (refused) return;
  TaskState &tasks = Tasks();
  tasks.running = nullptr;
  // Posted, not handled here: the drops run after the handler that ran the task returns.
  for (const TaskState::WaitingDrop &waiting : tasks.drops) {
    if (!IsWindow(waiting.view) ||
        !PostMessageW(waiting.view, WM_DROPFILES, reinterpret_cast<WPARAM>(waiting.drop), 0))
      DragFinish(waiting.drop);
  }
  tasks.drops.clear();
}

bool LongTaskRunning() {
  return Tasks().running != nullptr;
}

bool RefusedWhileBusy(const wchar_t *name) {
  if (!LongTaskRunning()) return false;
  LogRefusal(name);
  return true;
}

bool DeferDropWhileBusy(HWND view, HDROP drop) {
  if (!LongTaskRunning()) return false;
  Tasks().drops.push_back({view, drop});
  return true;
}
