#include "core/ui/Startup.h"
#include "app/AppWiring.h"
#include "drawing/objects/DrawItems.h"
#include "platform/PrivateFiles.h"
#include "platform/ui/InputGuard.h"

int main(int argc, char** argv)
{
    KeepRunningAtFileSizeLimit();
    RegisterDrawItemClasses();
    // Every text input of every window keeps the input rules.
    TInputGuard::Install();
    return StartupRun(argc, argv, WireMainWindow);
}
