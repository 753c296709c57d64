// Starts Formulix exactly as main() does, up to the main window's first frame painted.
#include "FirstFrame.h"
#include "gui/app/Application.h"

int main(int argc, char *argv[])
{
    return formulix::runFormulix(argc, argv, [](QWidget &window) { new formulix::bench::FirstFrame(window); });
}
