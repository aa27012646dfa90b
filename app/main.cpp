// Process entry point: the run driver inside the fault guard.
#include "app/FaultGuard.h"
#include "app/RunDriver.h"

int main(int argc, char** argv) { return vexo::RunGuarded(argc, argv, vexo::RunModule); }
