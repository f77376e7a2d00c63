#include "LayoutViewTypes.h"

#include "Button.h"
#include "ImageView.h"
#include "Label.h"
#include "ScrollView.h"
#include "Switch.h"
#include "TableView.h"
#include "TextField.h"
#include "WebView.h"

#include <map>

namespace platform {
namespace {

using TypesByName = std::map<std::string, LayoutViewType, std::less<>>;

template <class T>
void add(TypesByName& types, std::string name) {
    auto type = LayoutViewTypes::describe<T>(name);
    types.emplace(std::move(name), std::move(type));
}

// Built once, on first use, and never changed: the pointers find() hands out stay valid.
const TypesByName& pageViewTypes() {
    static const TypesByName types = [] {
        TypesByName all;
        // A plain View takes only what every view takes.
        all.emplace("View", LayoutViewType("View", [] { return std::make_shared<View>(); }));
        add<Label>(all, "Label");
        add<ImageView>(all, "ImageView");
        add<Button>(all, "Button");
        add<Switch>(all, "Switch");
        add<ScrollView>(all, "ScrollView");
        add<TableView>(all, "TableView");
        add<WebView>(all, "WebView");
        add<TextField>(all, "TextField");
        return all;
    }();
    return types;
}

}  // namespace

const LayoutViewType* LayoutViewTypes::find(std::string_view name) {
    const auto& types = pageViewTypes();
    const auto found = types.find(name);
    return found == types.end() ? nullptr : &found->second;
}

const LayoutViewType& LayoutViewTypes::everyView() {
    static const LayoutViewType common = describe<View>("View");
    return common;
}

}  // namespace platform
