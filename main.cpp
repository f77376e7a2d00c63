// Process entry. Replaced by the application shell once the pages land.
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"

int main() {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) {
        platform::Log("No bundle found");
        return 1;
    }
    platform::Log("Bundle: " + bundle->bundlePath().string());
    return 0;
}
