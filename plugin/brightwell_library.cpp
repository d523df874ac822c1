// The plug-in library: the component framework, its log and its XML reader,
// linked whole so that the update manager finds everything in one module.
