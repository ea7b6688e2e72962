// The DLLs that are not among the system's known DLLs, loaded from the
// system alone before anything of theirs is called; the program binds to
// them at their first call. A DLL of the same name beside the exe (the zip is
// unpacked into Downloads or onto a USB stick, next to anything) is never
// looked at.
#pragma once

// Ends the process with a message box when GDI+ or the common controls
// cannot be loaded, as the audience window does when it cannot find its
// layered-window call.
void loadSystemLibraries();
