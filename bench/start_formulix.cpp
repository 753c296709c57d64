// Starts Formulix exactly as main() does and quits at the first idle moment.
#include "gui/app/Application.h"

int main(int argc, char *argv[])
{
    return formulix::runFormulix(argc, argv, true);
}
