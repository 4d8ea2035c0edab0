// The Bases tree: the known databases with their check marks, which decide what the next
// Scan loads.
#pragma once

void FillBasesTree();
void StoreBaseChecks(); // check marks -> the databases' enabled flags

// The keyboard commands of the tree; both store the new marks.
void CheckAllBases();    // Ctrl+A
void InvertBaseChecks(); // Ctrl+I
