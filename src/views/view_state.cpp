#include "views/view_state.h"

#include "catalogue/catalogue.h"
#include "shell/shell_state.h"

uint32_t NextViewState(uint32_t state, bool selected) {
  if (selected) {
    if (state == kViewHidden) return kViewToAdd;
    if (state == kViewToRemove) return kViewShown; // its rows are still listed
    return state;
  }
  if (state == kViewShown) return kViewToRemove;
  if (state == kViewToAdd) return kViewHidden; // none of its rows were listed yet
  return state;
}

void HoldViewRefresh() {
  g_shell.views.syncEnabled = false;
}

void ResumeViewRefresh() {
  g_shell.views.syncEnabled = true;
}

void MarkStatusDirty() {
  g_shell.views.statusDirty = true;
}

void HideAllProjects() {
  for (uint32_t i = 1;; ++i) {
    ProjectEntry *row = g_catalogue.GetProject(i);
    if (row == nullptr) return;
    row->viewState = kViewHidden;
  }
}
