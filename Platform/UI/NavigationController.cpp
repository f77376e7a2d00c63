#include "NavigationController.h"

#include "Platform/Foundation/RunLoop.h"

#include <algorithm>

namespace platform {
namespace {

// Weak links to every stack made, so memory warnings can reach them. Main thread only.
std::vector<std::weak_ptr<NavigationController>>& allNavigationControllers() {
    static std::vector<std::weak_ptr<NavigationController>> all;
    return all;
}

}  // namespace

std::shared_ptr<NavigationController> NavigationController::initWithRootViewController(
    std::shared_ptr<ViewController> root) {
    if (!root || root->m_navigationController != nullptr) return nullptr;
    auto navigation = std::make_shared<NavigationController>();
    root->m_navigationController = navigation.get();
    navigation->m_stack.push_back(std::move(root));

    auto& all = allNavigationControllers();
    std::erase_if(all, [](const auto& weak) { return weak.expired(); });
    all.push_back(navigation);
    return navigation;
}

NavigationController::~NavigationController() {
    // Pages that outlive the stack (someone else holds them) must not point at it.
    for (auto& page : m_stack) page->m_navigationController = nullptr;
}

std::vector<std::shared_ptr<NavigationController>>
NavigationController::liveNavigationControllers() {
    std::vector<std::shared_ptr<NavigationController>> live;
    for (const auto& weak : allNavigationControllers()) {
        if (auto navigation = weak.lock()) live.push_back(std::move(navigation));
    }
    return live;
}

ViewController* NavigationController::topViewController() const {
    return m_stack.empty() ? nullptr : m_stack.back().get();
}

bool NavigationController::isAncestorOrSelf(const ViewController& page) const {
    for (const ViewController* node = this; node != nullptr; node = node->m_navigationController) {
        if (node == &page) return true;
    }
    return false;
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> page, bool animated) {
    if (!page || page->m_navigationController != nullptr || isAncestorOrSelf(*page)) return;
    page->m_navigationController = this;
    m_stack.push_back(std::move(page));
    m_transition = {+1, RunLoop::main().now(), animated};
    showTop(animated);
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
    if (m_stack.size() < 2) return nullptr;
    auto popped = std::move(m_stack.back());
    m_stack.pop_back();
    popped->m_navigationController = nullptr;
    if (popped->m_view && m_view && popped->m_view->superview() == m_view.get()) {
        popped->m_view->removeFromSuperview();
    }
    m_transition = {-1, RunLoop::main().now(), animated};
    showTop(animated);
    return popped;
}

void NavigationController::showTop(bool animated) {
    if (m_stack.empty() || !isViewLoaded()) return;
    // Own the page and its view through the callbacks, which may push or pop.
    std::shared_ptr<ViewController> top = m_stack.back();
    std::shared_ptr<View> pageView = top->view();
    // A push or pop made inside a callback has shown its own top page already.
    if (m_stack.empty() || m_stack.back() != top) return;
    top->viewWillAppear(animated);
    if (m_stack.empty() || m_stack.back() != top || !isViewLoaded()) return;
    pageView = top->view();  // the callback may have replaced the view

    auto shown = m_shownView.lock();
    if (shown && shown != pageView && shown->superview() == m_view.get())
        shown->removeFromSuperview();
    m_view->addSubview(pageView);
    m_shownView = pageView;
    layoutPages();
}

void NavigationController::layoutPages() {
    if (!isViewLoaded() || !m_view) return;
    Rect bounds = m_view->bounds();
    if (auto bar = m_barView.lock()) bar->setFrame({0, 0, bounds.width, kNavigationBarHeight});
    if (auto shown = m_shownView.lock(); shown && shown->superview() == m_view.get()) {
        double height = std::max(0.0, bounds.height - kNavigationBarHeight);
        shown->setFrame({0, kNavigationBarHeight, bounds.width, height});
    }
}

NavigationBarState NavigationController::navigationBarState() const {
    NavigationBarState state;
    if (m_stack.empty()) return state;
    const auto& item = m_stack.back()->navigationItem();
    state.title = item.title();
    state.titleView = item.titleView();
    state.right = item.rightBarButtonItem();
    if (m_stack.size() > 1) {
        const auto& below = m_stack[m_stack.size() - 2]->navigationItem().title();
        state.backTitle = below.empty() ? std::string("Back") : below;
    } else {
        state.left = item.leftBarButtonItem();
    }
    return state;
}

void NavigationController::viewDidLoad() {
    auto bar = std::make_shared<View>();
    bar->setLayoutId("navigationBar");
    m_view->addSubview(bar);
    m_barView = bar;
    m_shownView.reset();
    layoutPages();
    showTop(false);
}

void NavigationController::didReceiveMemoryWarning() {
    ViewController::didReceiveMemoryWarning();
    // A page's callback may change the stack; warn the pages that were on it.
    auto pages = m_stack;
    for (auto& page : pages) page->didReceiveMemoryWarning();
}

std::optional<CommandState> NavigationController::commandState(std::string_view name) const {
    if (name == commands::kBack) return CommandState{viewControllers().size() > 1};
    return ViewController::commandState(name);
}

bool NavigationController::performCommand(std::string_view name, std::string_view argument) {
    if (name == commands::kBack) return popViewControllerAnimated(true) != nullptr;
    return ViewController::performCommand(name, argument);
}

}  // namespace platform
