#include "LayoutViewBuilder.h"

#include "Button.h"
#include "ImageView.h"
#include "Label.h"
#include "LayoutError.h"
#include "LayoutValues.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Graphics/Image.h"
#include "ScrollView.h"
#include "Switch.h"
#include "TableView.h"
#include "WebView.h"
#include "Window.h"

namespace platform {
namespace {

using namespace layoutvalues;

constexpr double kLargest = 1e9;  // points; far beyond any screen

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

[[noreturn]] void badValue(std::string_view attribute, std::string_view text) {
    throw LayoutError("bad value " + inQuotes(text) + " for " + std::string(attribute));
}

template <class T>
T required(std::optional<T> value, std::string_view attribute, std::string_view text) {
    if (!value) badValue(attribute, text);
    return *value;
}

// A number that must lie in [minimum, maximum]; `above` excludes the minimum itself.
double numberWithin(std::string_view attribute, std::string_view text, double minimum,
                    double maximum, bool above = false) {
    double number = required(parseNumber(text), attribute, text);
    if (number < minimum || number > maximum || (above && number == minimum)) {
        badValue(attribute, text);
    }
    return number;
}

int textAlignment(std::string_view text) {
    if (text == "left") return kTextAlignmentLeft;
    if (text == "center") return kTextAlignmentCenter;
    if (text == "right") return kTextAlignmentRight;
    throw LayoutError("bad value " + inQuotes(text) + " for alignment (left, center or right)");
}

int tableStyle(std::string_view text) {
    if (text == "plain") return kTableViewStylePlain;
    if (text == "grouped") return kTableViewStyleGrouped;
    throw LayoutError("bad value " + inQuotes(text) + " for style (plain or grouped)");
}

std::string buttonStyle(std::string_view text) {
    if (text == "rounded" || text == "info" || text == "custom") return std::string(text);
    throw LayoutError("bad value " + inQuotes(text) + " for style (rounded, info or custom)");
}

void setViewFrame(View& view, Rect frame) {
    // TableView lays out its rows in its own setFrame, which View's does not reach.
    if (auto* table = dynamic_cast<TableView*>(&view)) {
        table->setFrame(frame);
    } else {
        view.setFrame(frame);
    }
}

}  // namespace

LayoutViewBuilder::LayoutViewBuilder(std::shared_ptr<Bundle> bundle, Object* owner,
                                     const LayoutClassInfo* ownerInfo)
    : m_bundle(std::move(bundle)), m_owner(owner), m_ownerInfo(ownerInfo) {}

std::shared_ptr<View> LayoutViewBuilder::makeView(std::string_view type) {
    if (type == "View") return std::make_shared<View>();
    if (type == "Label") return std::make_shared<Label>();
    if (type == "ImageView") return std::make_shared<ImageView>();
    if (type == "Button") return std::make_shared<Button>();
    if (type == "Switch") return std::make_shared<Switch>();
    if (type == "ScrollView") return std::make_shared<ScrollView>();
    if (type == "TableView") return std::make_shared<TableView>();
    if (type == "WebView") return std::make_shared<WebView>();
    return nullptr;
}

std::shared_ptr<View> LayoutViewBuilder::build(const LayoutElement& element, bool allowWindow) {
    std::shared_ptr<View> view = allowWindow && element.name == "Window"
                                     ? std::make_shared<Window>()
                                     : makeView(element.name);
    if (!view) throw LayoutError("unknown view type <" + element.name + ">");

    m_view = view;
    bool framed = false;
    for (const auto& [name, value] : element.attributes) {
        try {
            applyAttribute(*view, name, value);
        } catch (const LayoutError& problem) {
            throw LayoutError(std::string(problem.what()) + " on " + element.describe());
        }
        framed = framed || name == "frame";
    }
    // An image view without a frame takes its image's size, as one made from the image does.
    if (auto* imageView = dynamic_cast<ImageView*>(view.get());
        imageView && imageView->image() && !framed) {
        Size size = imageView->image()->size();
        imageView->setFrame({0, 0, size.width, size.height});
    }
    m_view = nullptr;

    for (const auto& child : element.children) view->addSubview(build(child));
    return view;
}

void LayoutViewBuilder::applyAttribute(View& view, std::string_view name, std::string_view value) {
    if (name == "outlet") {
        addOutlet(m_view, value);
        return;
    }
    if (applyCommonAttribute(view, name, value) || applyTypeAttribute(view, name, value)) return;
    throw LayoutError("unknown attribute " + inQuotes(name));
}

bool LayoutViewBuilder::applyCommonAttribute(View& view, std::string_view name,
                                             std::string_view value) {
    if (name == "id") {
        view.setLayoutId(std::string(value));
    } else if (name == "frame") {
        setViewFrame(view, required(parseRect(value), name, value));
    } else if (name == "alpha") {
        view.setAlpha(numberWithin(name, value, 0.0, 1.0));
    } else if (name == "hidden") {
        view.setHidden(required(parseBool(value), name, value));
    } else if (name == "backgroundColor") {
        view.setBackgroundColor(required(parseColor(value), name, value));
    } else if (name == "clipsToBounds") {
        view.setClipsToBounds(required(parseBool(value), name, value));
    } else if (name == "accessibilityName") {
        view.setAccessibilityName(std::string(value));
    } else {
        return false;
    }
    return true;
}

bool LayoutViewBuilder::applyTypeAttribute(View& view, std::string_view name,
                                           std::string_view value) {
    // Exact types: a TableView is a ScrollView in code but takes no contentSize.
    std::string_view type = view.typeName();
    if (type == "Label") {
        auto& label = static_cast<Label&>(view);
        if (name == "text") {
            label.setText(std::string(value));
        } else if (name == "fontSize") {
            label.setFontSize(numberWithin(name, value, 0.0, kLargest, true));
        } else if (name == "bold") {
            label.setBold(required(parseBool(value), name, value));
        } else if (name == "alignment") {
            label.setTextAlignment(textAlignment(value));
        } else if (name == "textColor") {
            label.setTextColor(required(parseColor(value), name, value));
        } else if (name == "lines") {
            label.setNumberOfLines(required(parseCount(value), name, value));
        } else {
            return false;
        }
        return true;
    }
    if (type == "ImageView") {
        if (name != "image") return false;
        static_cast<ImageView&>(view).setImage(image(value));
        return true;
    }
    if (type == "Button") {
        auto& button = static_cast<Button&>(view);
        if (name == "title") {
            button.setTitle(std::string(value));
        } else if (name == "image") {
            button.setImage(image(value));
        } else if (name == "style") {
            button.setStyle(buttonStyle(value));
        } else if (name == "action") {
            auto target = std::static_pointer_cast<Button>(m_view);
            addAction(value, [target](Action action) { target->setAction(std::move(action)); });
        } else {
            return false;
        }
        return true;
    }
    if (type == "Switch") {
        auto& control = static_cast<Switch&>(view);
        if (name == "on") {
            control.setOn(required(parseBool(value), name, value));
        } else if (name == "action") {
            auto target = std::static_pointer_cast<Switch>(m_view);
            addAction(value, [target](Action action) { target->setAction(std::move(action)); });
        } else {
            return false;
        }
        return true;
    }
    if (type == "ScrollView") {
        if (name != "contentSize") return false;
        static_cast<ScrollView&>(view).setContentSize(required(parseSize(value), name, value));
        return true;
    }
    if (type == "TableView") {
        auto& table = static_cast<TableView&>(view);
        auto target = std::static_pointer_cast<TableView>(m_view);
        if (name == "style") {
            table.setStyle(tableStyle(value));
        } else if (name == "rowHeight") {
            table.setRowHeight(numberWithin(name, value, 0.0, kLargest, true));
        } else if (name == "separatorColor") {
            table.setSeparatorColor(required(parseColor(value), name, value));
        } else if (name == "dataSource") {
            auto source = ownerAs<TableViewDataSource>(name, value, "a table data source");
            m_wiring.push_back([target, source](Object&) { target->setDataSource(source); });
        } else if (name == "delegate") {
            auto delegate = ownerAs<TableViewDelegate>(name, value, "a table delegate");
            m_wiring.push_back([target, delegate](Object&) { target->setDelegate(delegate); });
        } else {
            return false;
        }
        return true;
    }
    if (type == "WebView") {
        if (name != "delegate") return false;
        auto target = std::static_pointer_cast<WebView>(m_view);
        auto delegate = ownerAs<WebViewDelegate>(name, value, "a web view delegate");
        m_wiring.push_back([target, delegate](Object&) { target->setDelegate(delegate); });
        return true;
    }
    return false;
}

void LayoutViewBuilder::addOutlet(const std::shared_ptr<View>& view, std::string_view name) {
    if (!m_ownerInfo || !m_owner)
        throw LayoutError("outlet " + inQuotes(name) + " without an owner");
    if (!m_ownerInfo->hasOutlet(name)) {
        throw LayoutError(describeOwner() + " has no outlet " + inQuotes(name));
    }
    if (!m_ownerInfo->outletAccepts(name, view)) {
        throw LayoutError("outlet " + inQuotes(name) + " of " + describeOwner() +
                          " cannot take a " + std::string(view->typeName()));
    }
    if (!m_connectedOutlets.emplace(name).second) {
        throw LayoutError("outlet " + inQuotes(name) + " is connected twice");
    }
    m_outlets.push_back({std::string(name), view});
}

void LayoutViewBuilder::addAction(std::string_view name, std::function<void(Action)> setAction) {
    if (!m_ownerInfo || !m_owner)
        throw LayoutError("action " + inQuotes(name) + " without an owner");
    if (!m_ownerInfo->hasAction(name)) {
        throw LayoutError(describeOwner() + " has no action " + inQuotes(name));
    }
    // Actions hold their target weakly, which needs an owner held by a shared_ptr.
    if (m_owner->weak_from_this().expired()) {
        throw LayoutError("action " + inQuotes(name) + " needs an owner held by a shared_ptr");
    }
    const LayoutClassInfo* info = m_ownerInfo;
    m_wiring.push_back([info, action = std::string(name), setAction](Object& owner) {
        setAction(info->makeAction(owner, action));
    });
}

template <class Interface>
std::weak_ptr<Interface> LayoutViewBuilder::ownerAs(std::string_view attribute,
                                                    std::string_view value,
                                                    std::string_view interfaceName) {
    if (value != "owner") {
        throw LayoutError("bad value " + inQuotes(value) + " for " + std::string(attribute) +
                          " (only \"owner\")");
    }
    if (!m_owner || m_owner->weak_from_this().expired()) {
        throw LayoutError(std::string(attribute) + " without an owner held by a shared_ptr");
    }
    auto typed = std::dynamic_pointer_cast<Interface>(m_owner->shared_from_this());
    if (!typed) throw LayoutError(describeOwner() + " is not " + std::string(interfaceName));
    return typed;
}

void LayoutViewBuilder::connect() {
    if (!m_owner || !m_ownerInfo) return;
    for (const auto& link : m_outlets) {
        if (!m_ownerInfo->connectOutlet(*m_owner, link.name, link.value)) {
            throw LayoutError("outlet " + inQuotes(link.name) + " of " + describeOwner() +
                              " refused its view");
        }
    }
    for (const auto& wire : m_wiring) wire(*m_owner);
    m_outlets.clear();
    m_wiring.clear();
}

std::shared_ptr<Image> LayoutViewBuilder::image(std::string_view fileName) const {
    // A missing picture leaves the view without one, as a missing nib image does.
    auto mainBundle = Bundle::mainBundle();
    if (!m_bundle || (mainBundle && mainBundle->bundlePath() == m_bundle->bundlePath())) {
        return Image::imageNamed(fileName);
    }
    auto path = m_bundle->pathForResource(fileName, "");
    return path ? Image::imageWithContentsOfFile(*path) : nullptr;
}

std::string LayoutViewBuilder::describeOwner() const {
    return "class " + (m_ownerInfo ? m_ownerInfo->className : std::string("(none)"));
}

}  // namespace platform
