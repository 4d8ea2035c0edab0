// The keyboard commands of the Files list. Each holds the refresh timer off while it
// changes the selection, whose changes reach the main window like clicks.
#pragma once

void SelectAllFiles();       // Ctrl+A
void InvertFilesSelection(); // Ctrl+I
// Ctrl+P: adds the precomputes to the selection, reading the headers of the files whose
// clip usage is not known yet.
void SelectPrecomputes();
// F2: reads the headers of the selected files again and rewrites their rows. False when
// nothing is selected (the command is then passed on).
bool GetInfoForSelectedMedia();
