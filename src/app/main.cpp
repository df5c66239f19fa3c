#include "core/ui/Startup.h"
#include "app/AppWiring.h"
#include "drawing/objects/DrawItems.h"

int main(int argc, char** argv)
{
    RegisterDrawItemClasses();
    return StartupRun(argc, argv, WireMainWindow);
}
