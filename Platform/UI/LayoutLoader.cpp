#include "LayoutLoader.h"

#include "ApplicationDelegate.h"
#include "LayoutDocument.h"
#include "LayoutError.h"
#include "LayoutViewBuilder.h"
#include "NavigationController.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Window.h"

#include <filesystem>
#include <initializer_list>
#include <map>

namespace platform {
namespace {

// Thrown when a nested load (a page of the main window) has already logged its line.
struct FailureAlreadyLogged {};

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// One line, whatever the file name or the quoted attribute values hold.
void logFailure(std::string_view file, std::string_view problem) {
    std::string line = "Layout " + std::string(file) + ": " + std::string(problem);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    Log(line);
}

// The file of layout `name`, or none after logging why there is none.
std::optional<std::filesystem::path> findLayout(std::string_view name,
                                                const std::shared_ptr<Bundle>& bundle) {
    std::string file = std::string(name) + ".layout";
    if (!bundle) {
        logFailure(file, "there is no main bundle");
        return std::nullopt;
    }
    auto path = bundle->pathForResource(name, "layout");
    if (!path) {
        logFailure(file, "not found in the bundle " + bundle->bundlePath().string());
        return std::nullopt;
    }
    return std::filesystem::path(*path);
}

void checkAttributes(const LayoutElement& element, std::initializer_list<std::string_view> known) {
    for (const auto& [name, value] : element.attributes) {
        bool isKnown = false;
        for (auto candidate : known) isKnown = isKnown || candidate == name;
        if (!isKnown) {
            throw LayoutError("unknown attribute " + inQuotes(name) + " on " + element.describe());
        }
    }
}

const std::string& requiredAttribute(const LayoutElement& element, std::string_view name) {
    const auto* value = element.attribute(name);
    if (!value || value->empty()) {
        throw LayoutError(element.describe() + " needs the attribute " + inQuotes(name));
    }
    return *value;
}

void checkRoot(const LayoutElement& root, std::initializer_list<std::string_view> attributes) {
    if (root.name != "layout") {
        throw LayoutError("the root element is <" + root.name + ">, not <layout>");
    }
    checkAttributes(root, attributes);
}

// True when the layout's `owner` names the class being loaded: by its registered
// or C++ name, or as another registered name of the same C++ class.
bool ownerFits(std::string_view owner, const LayoutClassInfo& info) {
    if (owner == info.className) return true;
    const auto* named = LayoutRegistry::find(owner);
    return named && named->type && info.type && *named->type == *info.type;
}

const LayoutClassInfo& registeredClass(const std::string& className) {
    const auto* info = LayoutRegistry::find(className);
    if (!info || !info->create) throw LayoutError("unknown class " + inQuotes(className));
    return *info;
}

// Builds the objects of the main window layout in document order, then connects them.
class MainWindowBuilder {
  public:
    explicit MainWindowBuilder(std::shared_ptr<Bundle> bundle) : m_bundle(std::move(bundle)) {}

    LayoutLoader::MainWindow build(const LayoutElement& root) {
        checkRoot(root, {});
        std::vector<const LayoutElement*> connections;
        for (const auto& child : root.children) {
            if (child.name == "object") {
                makeObject(child);
            } else if (child.name == "Window") {
                makeWindow(child);
            } else if (child.name == "NavigationController") {
                makeNavigationController(child);
            } else if (child.name == "connect") {
                checkAttributes(child, {"object", "outlet", "to"});
                connections.push_back(&child);
            } else {
                throw LayoutError("unknown element <" + child.name + ">");
            }
        }
        // Check every connection before making any, so a failure connects nothing.
        for (const auto* connection : connections) checkConnection(*connection);
        for (const auto* connection : connections) makeConnection(*connection);
        return std::move(m_result);
    }

  private:
    struct Made {
        std::shared_ptr<Object> object;
        const LayoutClassInfo* info = nullptr;  // set for <object> elements, which take outlets
    };

    void remember(const LayoutElement& element, std::shared_ptr<Object> object,
                  const LayoutClassInfo* info) {
        const auto* id = element.attribute("id");
        if (!id || id->empty()) return;
        if (m_byId.contains(*id)) throw LayoutError("the id " + inQuotes(*id) + " is used twice");
        m_byId.emplace(*id, Made{object, info});
        m_result.objects.emplace_back(*id, std::move(object));
    }

    void makeObject(const LayoutElement& element) {
        checkAttributes(element, {"id", "class", "role"});
        requiredAttribute(element, "id");
        const auto& info = registeredClass(requiredAttribute(element, "class"));
        auto object = info.create();
        if (const auto* role = element.attribute("role")) {
            if (*role != "applicationDelegate") {
                throw LayoutError("unknown role " + inQuotes(*role) + " on " + element.describe());
            }
            if (m_result.applicationDelegate) {
                throw LayoutError("a second application delegate " + element.describe());
            }
            m_result.applicationDelegate = std::dynamic_pointer_cast<ApplicationDelegate>(object);
            if (!m_result.applicationDelegate) {
                throw LayoutError("class " + inQuotes(info.className) +
                                  " is not an application delegate");
            }
        }
        remember(element, std::move(object), &info);
    }

    void makeWindow(const LayoutElement& element) {
        if (m_result.window) throw LayoutError("a second <Window>");
        LayoutViewBuilder builder(m_bundle, nullptr, nullptr);
        m_result.window = std::static_pointer_cast<Window>(builder.build(element, true));
        remember(element, m_result.window, nullptr);
    }

    void makeNavigationController(const LayoutElement& element) {
        checkAttributes(element, {"id"});
        if (element.children.size() != 1 || element.children.front().name != "page") {
            throw LayoutError(element.describe() + " needs exactly one <page>");
        }
        const auto& pageElement = element.children.front();
        checkAttributes(pageElement, {"class", "layout", "title"});
        const auto& className = requiredAttribute(pageElement, "class");
        const auto& info = registeredClass(className);
        auto page = std::dynamic_pointer_cast<ViewController>(info.create());
        if (!page) throw LayoutError("class " + inQuotes(className) + " is not a page");
        const auto* layout = pageElement.attribute("layout");
        if (!page->loadLayout(layout ? *layout : className, m_bundle, info)) {
            throw FailureAlreadyLogged{};
        }
        if (const auto* title = pageElement.attribute("title")) page->setTitle(*title);
        auto navigation = NavigationController::initWithRootViewController(std::move(page));
        m_result.navigationControllers.push_back(navigation);
        remember(element, std::move(navigation), nullptr);
    }

    void checkConnection(const LayoutElement& element) {
        const auto& objectId = requiredAttribute(element, "object");
        const auto& outlet = requiredAttribute(element, "outlet");
        const auto& targetId = requiredAttribute(element, "to");
        auto source = m_byId.find(objectId);
        auto target = m_byId.find(targetId);
        if (source == m_byId.end())
            throw LayoutError("no object with the id " + inQuotes(objectId));
        if (target == m_byId.end())
            throw LayoutError("no object with the id " + inQuotes(targetId));
        const auto* info = source->second.info;
        if (!info || !info->hasOutlet(outlet)) {
            throw LayoutError("the object " + inQuotes(objectId) + " has no outlet " +
                              inQuotes(outlet));
        }
        if (!info->outletAccepts(outlet, target->second.object)) {
            throw LayoutError("outlet " + inQuotes(outlet) + " of " + inQuotes(objectId) +
                              " cannot take " + inQuotes(targetId));
        }
    }

    void makeConnection(const LayoutElement& element) {
        const auto& source = m_byId.at(*element.attribute("object"));
        const auto& target = m_byId.at(*element.attribute("to"));
        const auto& outlet = *element.attribute("outlet");
        if (!source.info->connectOutlet(*source.object, outlet, target.object)) {
            throw LayoutError("outlet " + inQuotes(outlet) + " refused its object");
        }
    }

    std::shared_ptr<Bundle> m_bundle;
    LayoutLoader::MainWindow m_result;
    std::map<std::string, Made, std::less<>> m_byId;
};

}  // namespace

std::shared_ptr<View> LayoutLoader::loadPageLayout(std::string_view name,
                                                   const std::shared_ptr<Bundle>& bundle,
                                                   Object& owner, const LayoutClassInfo& info) {
    auto source = bundle ? bundle : Bundle::mainBundle();
    auto path = findLayout(name, source);
    if (!path) return nullptr;
    try {
        LayoutElement root = LayoutDocument::read(*path);
        checkRoot(root, {"owner"});
        if (const auto* ownerName = root.attribute("owner");
            ownerName && !ownerFits(*ownerName, info)) {
            throw LayoutError("the layout's owner " + inQuotes(*ownerName) +
                              " is not the loading class " + inQuotes(info.className));
        }
        if (root.children.size() != 1) {
            throw LayoutError("a page layout holds exactly one view, not " +
                              std::to_string(root.children.size()));
        }
        LayoutViewBuilder builder(source, &owner, &info);
        auto view = builder.build(root.children.front());
        builder.connect();
        return view;
    } catch (const std::exception& problem) {
        logFailure(path->string(), problem.what());
        return nullptr;
    }
}

std::optional<LayoutLoader::MainWindow> LayoutLoader::loadMainWindowLayout(
    std::string_view name, const std::shared_ptr<Bundle>& bundle) {
    auto source = bundle ? bundle : Bundle::mainBundle();
    auto path = findLayout(name, source);
    if (!path) return std::nullopt;
    try {
        return MainWindowBuilder(source).build(LayoutDocument::read(*path));
    } catch (const FailureAlreadyLogged&) {
        return std::nullopt;
    } catch (const std::exception& problem) {
        logFailure(path->string(), problem.what());
        return std::nullopt;
    }
}

std::shared_ptr<Object> LayoutLoader::MainWindow::object(std::string_view id) const {
    for (const auto& [objectId, object] : objects) {
        if (objectId == id) return object;
    }
    return nullptr;
}

}  // namespace platform
