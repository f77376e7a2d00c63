#pragma once

// Makes the application's classes known to layouts by name: the main window
// layout creates the delegate and the root page through this registry. Call
// once at start, before the main window layout loads; calling again is harmless.
void registerApplicationClasses();
