#include "app/Application.h"

int main(int argc, char **argv)
{
    return TPetriApplication::Run(argc, argv);
}
