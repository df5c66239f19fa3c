#include "core/ui/Startup.h"
#include "app/AppWiring.h"
#include "drawing/objects/DrawItems.h"
#include "platform/PrivateFiles.h"

int main(int argc, char** argv)
{
    KeepRunningAtFileSizeLimit();
    RegisterDrawItemClasses();
    return StartupRun(argc, argv, WireMainWindow);
}
