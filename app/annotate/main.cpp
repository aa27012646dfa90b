// velmora-annotate entry point: the annotate run inside the worker's fault guard.
#include "app/FaultGuard.h"
#include "app/annotate/AnnotateRun.h"

int main(int argc, char** argv) { return vexo::RunGuarded(argc, argv, vexo::RunAnnotate); }
