// Stand-ins for the features that are not built yet, so that the main window's wiring is
// complete. Each definition here is deleted when its feature file defines the real one.
#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "operations/duplicates_dialog.h"
#include "operations/progress.h"
#include "operations/progress_window.h"
#include "tools/omf_viewer.h"

// catalogue/database_discovery
void ScanAllDrives() {}
void LoadAll() {}
void AddDatabase(const wchar_t *) {}
void ScanFolder(const wchar_t *) {}

// catalogue/media_linking
void Link() {}
void AddMediaFile(const wchar_t *) {}
void AddMediaFolder(const wchar_t *) {}
int DescribeMediaRecord(MediaRecord *) {
  return 0;
}

// tools/omf_viewer
bool RegisterOmfViewerClass(HINSTANCE) {
  return true;
}
void OpenOmfViewer(HINSTANCE, HFONT, const wchar_t *) {}
void CloseOmfViewer() {}

// operations/duplicates_dialog: closes at once with the dialog's result 1.
INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

// operations/progress_window and operations/progress
bool RegisterProgressClass(HINSTANCE) {
  return true;
}
void StartProgressWindow(HINSTANCE, HFONT) {}
int PollUserCancel() {
  return 0;
}
void OpenProgress() {}
void ShowProgress() {}
void CloseProgress() {}
void SetProgressTitle(const wchar_t *) {}
void SetProgressInfo(const wchar_t *) {}
void SetProgressOverallTotal(uint64_t) {}
void SetProgressOverallPos(uint64_t) {}
void SetProgressItemTotal(uint64_t) {}
void SetProgressItemPos(uint64_t) {}
void ShowProgressCancel() {}
bool ProgressCancelRequested() {
  return false;
}
