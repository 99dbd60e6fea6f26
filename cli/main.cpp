#include "Commands.h"

#include <iostream>

int main(int argc, char** argv)
{
    return RunKxvuz(argc, argv, std::cout, std::cerr);
}
