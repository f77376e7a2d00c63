#include "MainWindowLoader.h"

#include "ApplicationDelegate.h"
#include "LayoutDocument.h"
#include "LayoutError.h"
#include "LayoutFile.h"
#include "LayoutRegistry.h"
#include "LayoutViewBuilder.h"
#include "NavigationController.h"
#include "Platform/Foundation/Bundle.h"
#include "Window.h"

#include <map>

namespace platform {
namespace {

// Thrown when a nested load (a page of the main window) has already logged its line.
struct FailureAlreadyLogged {};

const LayoutClassInfo& registeredClass(const std::string& className) {
    const auto* info = LayoutRegistry::find(className);
    if (!info || !info->create) {
        throw LayoutError("unknown class " + LayoutFile::inQuotes(className));
    }
    return *info;
}

// Builds the objects of the main window layout in document order, then connects them.
class MainWindowBuilder {
  public:
    explicit MainWindowBuilder(std::shared_ptr<Bundle> bundle) : m_bundle(std::move(bundle)) {}

    MainWindowLoader::MainWindow build(const LayoutElement& root) {
        LayoutFile::checkRoot(root, {});
        std::vector<const LayoutElement*> connections;
        for (const auto& child : root.children) {
            if (child.name == "object") {
                makeObject(child);
            } else if (child.name == "Window") {
                makeWindow(child);
            } else if (child.name == "NavigationController") {
                makeNavigationController(child);
            } else if (child.name == "connect") {
                LayoutFile::checkAttributes(child, {"object", "outlet", "to"});
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
        if (m_byId.contains(*id))
            throw LayoutError("the id " + LayoutFile::inQuotes(*id) + " is used twice");
        m_byId.emplace(*id, Made{object, info});
        m_result.objects.emplace_back(*id, std::move(object));
    }

    void makeObject(const LayoutElement& element) {
        LayoutFile::checkAttributes(element, {"id", "class", "role"});
        LayoutFile::requiredAttribute(element, "id");
        const auto& info = registeredClass(LayoutFile::requiredAttribute(element, "class"));
        auto object = info.create();
        if (const auto* role = element.attribute("role")) {
            if (*role != "applicationDelegate") {
                throw LayoutError("unknown role " + LayoutFile::inQuotes(*role) + " on " +
                                  element.describe());
            }
            if (m_result.applicationDelegate) {
                throw LayoutError("a second application delegate " + element.describe());
            }
            m_result.applicationDelegate = std::dynamic_pointer_cast<ApplicationDelegate>(object);
            if (!m_result.applicationDelegate) {
                throw LayoutError("class " + LayoutFile::inQuotes(info.className) +
                                  " is not an application delegate");
            }
        }
        remember(element, std::move(object), &info);
    }

    void makeWindow(const LayoutElement& element) {
        if (m_result.window) throw LayoutError("a second <Window>");
        LayoutViewBuilder builder(m_bundle, nullptr, nullptr);
        m_result.window = builder.buildWindow(element);
        remember(element, m_result.window, nullptr);
    }

    void makeNavigationController(const LayoutElement& element) {
        LayoutFile::checkAttributes(element, {"id"});
        if (element.children.size() != 1 || element.children.front().name != "page") {
            throw LayoutError(element.describe() + " needs exactly one <page>");
        }
        const auto& pageElement = element.children.front();
        LayoutFile::checkAttributes(pageElement, {"class", "layout", "title"});
        const auto& className = LayoutFile::requiredAttribute(pageElement, "class");
        const auto& info = registeredClass(className);
        auto page = std::dynamic_pointer_cast<ViewController>(info.create());
        if (!page) throw LayoutError("class " + LayoutFile::inQuotes(className) + " is not a page");
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
        const auto& objectId = LayoutFile::requiredAttribute(element, "object");
        const auto& outlet = LayoutFile::requiredAttribute(element, "outlet");
        const auto& targetId = LayoutFile::requiredAttribute(element, "to");
        auto source = m_byId.find(objectId);
        auto target = m_byId.find(targetId);
        if (source == m_byId.end())
            throw LayoutError("no object with the id " + LayoutFile::inQuotes(objectId));
        if (target == m_byId.end())
            throw LayoutError("no object with the id " + LayoutFile::inQuotes(targetId));
        const auto* info = source->second.info;
        if (!info || !info->hasOutlet(outlet)) {
            throw LayoutError("the object " + LayoutFile::inQuotes(objectId) + " has no outlet " +
                              LayoutFile::inQuotes(outlet));
        }
        if (!info->outletAccepts(outlet, target->second.object)) {
            throw LayoutError("outlet " + LayoutFile::inQuotes(outlet) + " of " +
                              LayoutFile::inQuotes(objectId) + " cannot take " +
                              LayoutFile::inQuotes(targetId));
        }
    }

    void makeConnection(const LayoutElement& element) {
        const auto& source = m_byId.at(*element.attribute("object"));
        const auto& target = m_byId.at(*element.attribute("to"));
        const auto& outlet = *element.attribute("outlet");
        if (!source.info->connectOutlet(*source.object, outlet, target.object)) {
            throw LayoutError("outlet " + LayoutFile::inQuotes(outlet) + " refused its object");
        }
    }

    std::shared_ptr<Bundle> m_bundle;
    MainWindowLoader::MainWindow m_result;
    std::map<std::string, Made, std::less<>> m_byId;
};

}  // namespace

std::optional<MainWindowLoader::MainWindow> MainWindowLoader::load(
    std::string_view name, const std::shared_ptr<Bundle>& bundle) {
    auto source = bundle ? bundle : Bundle::mainBundle();
    auto path = LayoutFile::find(name, source);
    if (!path) return std::nullopt;
    try {
        return MainWindowBuilder(source).build(LayoutDocument::read(*path));
    } catch (const FailureAlreadyLogged&) {
        return std::nullopt;
    } catch (const std::exception& problem) {
        LayoutFile::logFailure(path->string(), problem.what());
        return std::nullopt;
    }
}

std::shared_ptr<Object> MainWindowLoader::MainWindow::object(std::string_view id) const {
    for (const auto& [objectId, object] : objects) {
        if (objectId == id) return object;
    }
    return nullptr;
}

}  // namespace platform
