// The progress window "QELProgress" of long tasks, on a thread of its own.
#pragma once

#include <windows.h>

bool RegisterProgressClass(HINSTANCE instance);
// Returns once the (hidden) window exists, or once its thread has given up.
void StartProgressWindow(HINSTANCE instance, HFONT font);
// Takes the main thread's key presses out of its queue; 1 when the user confirms cancelling.
int PollUserCancel();
