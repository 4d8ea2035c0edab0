// The info label above the Bases tree: the catalogue's totals once databases are loaded.
#pragma once

// Writes the catalogue's totals into the info label.
void ShowInfoText();
