// Placeholder source for a subsystem with no code yet.
