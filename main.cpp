#include "Classes/ApplicationClasses.h"
#include "Platform/Host/WindowHost.h"
#include "Platform/UI/ApplicationHost.h"

int main(int argc, char** argv) {
    registerApplicationClasses();
    platform::installWindowHost();
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
