#include "LayoutLoader.h"

#include "LayoutDocument.h"
#include "LayoutError.h"
#include "LayoutFile.h"
#include "LayoutViewBuilder.h"
#include "Platform/Foundation/Bundle.h"

#include <string>

namespace platform {
namespace {

// True when the layout's `owner` names the class being loaded: by its registered
// or C++ name, or as another registered name of the same C++ class.
bool ownerFits(std::string_view owner, const LayoutClassInfo& info) {
    if (owner == info.className) return true;
    const auto* named = LayoutRegistry::find(owner);
    return named && named->type && info.type && *named->type == *info.type;
}

}  // namespace

LayoutLoader::Page LayoutLoader::loadPageLayout(std::string_view name,
                                                const std::shared_ptr<Bundle>& bundle,
                                                Object& owner, const LayoutClassInfo& info) {
    auto source = bundle ? bundle : Bundle::mainBundle();
    auto path = LayoutFile::find(name, source);
    if (!path) return {};
    try {
        LayoutElement root = LayoutDocument::read(*path);
        LayoutFile::checkRoot(root, {"owner", "defaultAction"});
        if (const auto* ownerName = root.attribute("owner");
            ownerName && !ownerFits(*ownerName, info)) {
            throw LayoutError("the layout's owner " + LayoutFile::inQuotes(*ownerName) +
                              " is not the loading class " + LayoutFile::inQuotes(info.className));
        }
        if (root.children.size() != 1) {
            throw LayoutError("a page layout holds exactly one view, not " +
                              std::to_string(root.children.size()));
        }
        LayoutViewBuilder builder(source, &owner, &info);
        Page page;
        page.view = builder.build(root.children.front());
        if (const auto* defaultAction = root.attribute("defaultAction")) {
            try {
                builder.action(*defaultAction,
                               [&page](Action action) { page.defaultAction = std::move(action); });
            } catch (const LayoutError& problem) {
                throw LayoutError(std::string(problem.what()) + " on " + root.describe());
            }
            page.defaultControl = builder.controlForAction(*defaultAction);
        }
        builder.connect();
        return page;
    } catch (const std::exception& problem) {
        LayoutFile::logFailure(path->string(), problem.what());
        return {};
    }
}

}  // namespace platform
