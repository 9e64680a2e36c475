#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // The serial port's notifiers and waits need the application object; the program owns it.
    const QCoreApplication application(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kld::cli::Main(args, std::cout, std::cerr);
}
