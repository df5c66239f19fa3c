#include "core/Startup.h"

int main(int argc, char** argv) { return StartupRun(argc, argv); }
