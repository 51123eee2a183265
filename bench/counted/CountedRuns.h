// The runs whose calls the counted benchmark and its test compare: RemoveKM
// and the floor, each on a fresh simulated machine (Windows 10, one user,
// nothing of Kelmora's running) with a generated installation. A run that
// does not do what it is measured for (removes less, saves less, misses a
// phase) throws std::runtime_error: its counts would mean nothing.
#pragma once

#include "Installation.h"
#include "PhaseCounter.h"

struct CountedRun {
  Installation installation;
  PhaseCalls calls;
};

// The unattended removal, saving the pupils' data to the desktop.
CountedRun CountRemoval(long files);
// The floor of the same work.
CountedRun CountFloorRemoval(long files);
// The dialog's start-up with the product found, up to the dialog shown; all
// of it in kStartUp.
PhaseCalls CountStartUp();
// The bare dialog that finds the product at start.
PhaseCalls CountFloorStartUp();
