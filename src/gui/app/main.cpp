#include "gui/app/Application.h"

int main(int argc, char *argv[])
{
    return formulix::runFormulix(argc, argv);
}
