// Stand-ins for the features that are not built yet, so that the main window's wiring is
// complete. Each definition here is deleted when its feature file defines the real one.
#include "tools/omf_viewer.h"

// tools/omf_viewer
bool RegisterOmfViewerClass(HINSTANCE) {
  return true;
}
void OpenOmfViewer(HINSTANCE, HFONT, const wchar_t *) {}
void CloseOmfViewer() {}
