#include "views/view_state.h"

#include "catalogue/catalogue.h"

ViewState g_views;

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
  g_views.syncEnabled = false;
}

void ResumeViewRefresh() {
  g_views.syncEnabled = true;
}

void MarkStatusDirty() {
  g_views.statusDirty = true;
}

void HideAllProjects() {
  for (uint32_t i = 1;; ++i) {
    ProjectEntry *row = g_catalogue.GetProject(i);
    if (row == nullptr) return;
    row->viewState = kViewHidden;
  }
}
