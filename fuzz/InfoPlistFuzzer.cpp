// Reads arbitrary bytes as the Info.plist of a bundle and asks the bundle everything the
// program takes from it. Whatever the file holds, the values stay inside their rules: the
// identifier is never empty, the settings file stays one folder inside the user's
// configuration folder, and the main layout is looked up inside the bundle only.
#include "FuzzWorkspace.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/PropertyList.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Foundation/XdgPaths.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// Equal trees encode to equal bytes; unlike ==, this also holds for NaN reals.
std::string encoded(const platform::PlistDictionary& dictionary) {
    const platform::PlistValue value(dictionary);
    std::string bytes;
    for (auto format : {platform::PlistFormat::Binary, platform::PlistFormat::XML}) {
        if (!platform::PropertyList::canRepresent(value, format)) continue;
        const auto encoding = platform::PropertyList::toBytes(value, format);
        bytes += encoding;
        bytes += '\n';
    }
    return bytes;
}

bool sameDictionary(const platform::PlistDictionary& a, const platform::PlistDictionary& b) {
    return a.size() == b.size() && encoded(a) == encoded(b);
}

fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

std::filesystem::path bundleFolder() {
    return workspace().folder / "bundle";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::filesystem::create_directories(bundleFolder());
    // Every layout name a file may give resolves to a file, so a name that escaped the
    // bundle would be found rather than refused.
    fuzzsupport::writeFile(bundleFolder() / "MainWindow.layout", "<layout/>");
    fuzzsupport::writeFile(workspace().folder / "Outside.layout", "<layout/>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzsupport::writeFile(bundleFolder() / "Info.plist", bytes);

    const auto bundle = platform::Bundle::bundleWithPath(bundleFolder());
    require(bundle != nullptr);
    const platform::PlistDictionary& info = bundle->infoDictionary();
    // What was read is what a direct read of the file gives, or nothing when that fails.
    const auto direct = platform::PropertyList::readDictionaryFile(bundleFolder() / "Info.plist");
    require(sameDictionary(info, direct.value_or(platform::PlistDictionary{})));
    for (const auto& [key, value] : info) {
        const auto text = bundle->stringForInfoKey(key);
        const auto* stored = value.get<std::string>();
        require(text.has_value() == (stored != nullptr));
        if (stored != nullptr) require(*text == *stored);
    }

    require(!bundle->bundleIdentifier().empty());
    const std::string layout = bundle->mainLayoutName();
    require(!layout.empty());
    if (const auto path = bundle->pathForResource(layout, "layout")) {
        require(std::filesystem::path(*path).parent_path() == bundle->bundlePath());
    }

    // The settings file named after the identifier: one folder inside the configuration
    // folder, the file named after that folder.
    platform::Bundle::setMainBundlePath(bundleFolder());
    const auto settings = platform::UserDefaults::standardFilePath();
    const auto folder = settings.parent_path();
    require(folder.parent_path() == platform::XdgPaths::configHome());
    require(settings.filename().string() == folder.filename().string() + ".plist");
    require(settings.lexically_normal() == settings);
    platform::Bundle::resetMainBundle();
    return 0;
}
