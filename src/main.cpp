#include "FileRead.h"
#include "app/Application.h"

int main(int argc, char **argv)
{
    // A save into the file-size limit must fail like any other save, not end the program.
    IgnoreFileSizeSignal();
    return TPetriApplication::Run(argc, argv);
}
