#pragma once
// Reading the system's font configuration is the largest single step before
// the first window with text can be painted (dozens of configuration files).
// Done on a worker thread while the window system starts, it is ready when the
// first text is laid out. Does nothing where the platform does not use it.
void WarmFontConfiguration();
