// Stand-ins for the features that are not built yet, so that the main window's wiring is
// complete. Each definition here is deleted when its feature file defines the real one.
