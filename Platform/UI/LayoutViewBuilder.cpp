#include "LayoutViewBuilder.h"

#include "LayoutError.h"
#include "LayoutViewTypes.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Graphics/Image.h"
#include "Window.h"

namespace platform {
namespace {

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

LayoutViewBuilder::LayoutViewBuilder(std::shared_ptr<Bundle> bundle, Object* owner,
                                     const LayoutClassInfo* ownerInfo)
    : m_bundle(std::move(bundle)), m_owner(owner), m_ownerInfo(ownerInfo) {}

std::shared_ptr<View> LayoutViewBuilder::build(const LayoutElement& element) {
    const LayoutViewType* type = LayoutViewTypes::find(element.name);
    if (!type) throw LayoutError("unknown view type <" + element.name + ">");
    auto view = type->make();
    applyAttributes(view, element, type);
    for (const auto& child : element.children) view->addSubview(build(child));
    return view;
}

std::shared_ptr<Window> LayoutViewBuilder::buildWindow(const LayoutElement& element) {
    auto window = std::make_shared<Window>();
    // A window takes what every view takes, nothing of its own.
    applyAttributes(window, element, nullptr);
    for (const auto& child : element.children) window->addSubview(build(child));
    return window;
}

void LayoutViewBuilder::applyAttributes(const std::shared_ptr<View>& view,
                                        const LayoutElement& element, const LayoutViewType* type) {
    m_view = view;
    bool framed = false;
    for (const auto& [name, value] : element.attributes) {
        try {
            applyAttribute(view, name, value, type);
        } catch (const LayoutError& problem) {
            throw LayoutError(std::string(problem.what()) + " on " + element.describe());
        }
        framed = framed || name == "frame";
    }
    if (type && !framed) type->finishWithoutFrame(*view);
    m_view = nullptr;
}

void LayoutViewBuilder::applyAttribute(const std::shared_ptr<View>& view, std::string_view name,
                                       std::string_view value, const LayoutViewType* type) {
    if (name == "outlet") {
        addOutlet(view, value);
        return;
    }
    const auto* apply = LayoutViewTypes::everyView().attribute(name);
    if (!apply && type) apply = type->attribute(name);
    if (!apply) throw LayoutError("unknown attribute " + inQuotes(name));
    (*apply)(view, value, *this);
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

void LayoutViewBuilder::action(std::string_view name, std::function<void(Action)> connect) {
    if (!m_ownerInfo || !m_owner)
        throw LayoutError("action " + inQuotes(name) + " without an owner");
    if (!m_ownerInfo->hasAction(name)) {
        throw LayoutError(describeOwner() + " has no action " + inQuotes(name));
    }
    // Actions hold their target weakly, which needs an owner held by a shared_ptr.
    if (m_owner->weak_from_this().expired()) {
        throw LayoutError("action " + inQuotes(name) + " needs an owner held by a shared_ptr");
    }
    if (m_view) m_controlsByAction.try_emplace(std::string(name), m_view);
    const LayoutClassInfo* info = m_ownerInfo;
    m_wiring.push_back([info, action = std::string(name), connect](Object& owner) {
        connect(info->makeAction(owner, action));
    });
}

std::shared_ptr<Object> LayoutViewBuilder::heldOwner(std::string_view attribute,
                                                     std::string_view value) {
    if (value != "owner") {
        throw LayoutError("bad value " + inQuotes(value) + " for " + std::string(attribute) +
                          " (only \"owner\")");
    }
    if (!m_owner || m_owner->weak_from_this().expired()) {
        throw LayoutError(std::string(attribute) + " without an owner held by a shared_ptr");
    }
    return m_owner->shared_from_this();
}

void LayoutViewBuilder::later(std::function<void()> connection) {
    m_wiring.push_back([connection = std::move(connection)](Object&) { connection(); });
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

std::shared_ptr<View> LayoutViewBuilder::controlForAction(std::string_view action) const {
    const auto found = m_controlsByAction.find(action);
    return found == m_controlsByAction.end() ? nullptr : found->second;
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
