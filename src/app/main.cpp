#include "core/ui/Startup.h"
#include "app/AppWiring.h"

int main(int argc, char** argv) { return StartupRun(argc, argv, WireMainWindow); }
