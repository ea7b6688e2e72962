// One copy of the program per data folder. The operator who cannot see the
// control dialog behind the projector picture starts the exe again; a second
// copy on the same folder would offer the live race's journal as a crashed
// race, and either answer would damage it. Copies started from different
// folders run side by side.
#pragma once

// True when a copy already serves the exe's folder: its control dialog (or
// the box it has open) has been brought to the front, restored if minimised,
// and this process should end at once, having touched no file. Otherwise the
// folder is claimed for this process's life.
bool anotherCopyServesThisFolder();
