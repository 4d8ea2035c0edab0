// The view state of a project (ProjectEntry::viewState): how far its rows in the Files list
// follow its selection in the Projects list. Selection changes only mark a project; the
// refresh timer adds or removes its rows.
#pragma once

#include <cstdint>

inline constexpr uint32_t kViewHidden = 0;   // none of its rows are listed
inline constexpr uint32_t kViewShown = 1;    // all of its (visible) records are listed
inline constexpr uint32_t kViewToRemove = 2; // listed but no longer selected
inline constexpr uint32_t kViewToAdd = 3;    // selected but not listed yet

// Every project of the catalogue becomes hidden (the Files list was emptied).
void HideAllProjects();
