// One long task at a time on the main thread.
//
// A long task (Search, Scan, a drop, F2, Ctrl+P, copy, move, delete, the duplicates' backup)
// runs to its end inside the handler that started it, but its questions (the cancel question
// of PollUserCancel, the overwrite and delete questions) run message loops of their own, and
// those dispatch whatever is queued. Without this guard a queued drop could relink the
// catalogue in the middle of LoadAll, and a refresh tick could add or remove rows while F2 or
// a copy walks them by index. While a task runs, drops wait for its end, commands that start
// work are refused with a log line, and the refresh timer leaves the rows alone.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Marks a task as running for the life of the object. When another task runs already, the
// new one is refused ("QEL::<name>::Refused while <running> runs" in the log): `refused` is
// true and the caller must not start it. The drops that waited are handed back to their
// views when the task ends.
struct LongTask {
  explicit LongTask(const wchar_t *name);
  ~LongTask();
  LongTask(const LongTask &) = delete;
  LongTask &operator=(const LongTask &) = delete;
  bool refused;
};

bool LongTaskRunning();

// For a command that starts no task of its own but would change what a task works on (a
// selection, a sort): true, with the log line, while a task runs.
bool RefusedWhileBusy(const wchar_t *name);

// A drop that arrives while a task runs waits: true when it was kept, to be dropped on the
// view again once the task ends; false when no task runs and the caller takes it now.
bool DeferDropWhileBusy(HWND view, HDROP drop);
