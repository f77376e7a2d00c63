#include "BundleIdentity.h"

#include "Platform/Foundation/Bundle.h"

#include <QCoreApplication>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
namespace {

// The Info.plist key of the window's accessible description.
constexpr std::string_view kAccessibleDescriptionKey = "SBWindowAccessibleDescription";

// The first of `keys` that the main bundle's Info.plist gives as a text that is not empty.
std::optional<std::string> infoText(std::initializer_list<std::string_view> keys) {
    auto bundle = Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    for (auto key : keys) {
        if (auto text = bundle->stringForInfoKey(key); text && !text->empty()) return text;
    }
    return std::nullopt;
}

}  // namespace

QString BundleIdentity::displayName() {
    if (auto name = infoText({"CFBundleDisplayName", "CFBundleName"})) {
        return QString::fromStdString(*name);
    }
    return QCoreApplication::applicationName();
}

QString BundleIdentity::windowDescription() {
    auto description = infoText({kAccessibleDescriptionKey});
    return description ? QString::fromStdString(*description) : QString();
}

QIcon BundleIdentity::applicationIcon() {
    std::shared_ptr<const Bundle> bundle = Bundle::mainBundle();
    if (bundle && bundle->applicationBundle()) bundle = bundle->applicationBundle();
    if (!bundle) return {};
    auto file = bundle->stringForInfoKey("CFBundleIconFile");
    if (!file || file->empty()) return {};
    if (auto path = bundle->pathForResource(*file, "")) {
        return QIcon(QString::fromStdString(*path));
    }
    return {};
}

}  // namespace platform
