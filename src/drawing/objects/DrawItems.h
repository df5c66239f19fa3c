#pragma once
// The one place where the item classes of the drawing objects are made known
// to the class registry. The program calls it at start, and so does every
// tool that reads item records.

// Registers every item class; a class already registered is left alone, so
// calling it again does nothing.
void RegisterDrawItemClasses();
// Takes the classes RegisterDrawItemClasses registers out of the registry
// again (tests that need a registry of their own).
void UnregisterDrawItemClasses();
