#include "app/Startup.h"

int main(int, char **argv)
{
    return RunTempovir(argv[0]);
}
