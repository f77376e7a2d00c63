#pragma once

#include "ViewController.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

// What the navigation bar shows for the current stack.
struct NavigationBarState {
    std::string title;                     // the top page's navigation item title
    std::shared_ptr<View> titleView;       // shown in place of the title when set
    std::optional<std::string> backTitle;  // the page below's title; none at the root
    std::shared_ptr<BarButtonItem> left;   // hidden while a back button shows
    std::shared_ptr<BarButtonItem> right;
};

// A stack of pages; owns every page on it. Its view holds the top page's view
// below a 44-point navigation bar.
class NavigationController : public ViewController {
  public:
    static constexpr double kNavigationBarHeight = 44.0;

    // None for a null root or a root already on a stack.
    static std::shared_ptr<NavigationController> initWithRootViewController(
        std::shared_ptr<ViewController> root);
    ~NavigationController() override;

    // Loads the page's view (viewDidLoad) if needed, then the page appears on
    // top (viewWillAppear). While the stack's own view is not loaded, the page
    // only joins the stack; it loads and appears when the view does. Null, a
    // page already on a stack, and the stack itself or a stack holding it are
    // ignored. Safe from inside a callback of the page on top (a row tap).
    void pushViewController(std::shared_ptr<ViewController> page, bool animated);
    // The back control: pops and releases the top page (never the root), then
    // the page below appears again (viewWillAppear). Returns the popped page
    // (the stack no longer holds it), or null when only the root is left.
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);

    // Answers commands::kBack: a page back, while there is one under the top.
    std::optional<CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;

    const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return m_stack; }
    ViewController* topViewController() const;
    NavigationBarState navigationBarState() const;

    // The last push or pop, for the host's slide transition: +1 push, -1 pop,
    // with the clock time it happened and whether it was animated.
    struct Transition {
        int direction = 0;
        double startTime = 0;
        bool animated = false;
    };
    const Transition& lastTransition() const { return m_transition; }

    // Puts the navigation bar area in the new view and shows the top page (its
    // view loads, then it appears).
    void viewDidLoad() override;
    // The base behaviour for the stack's own view, then the warning goes to
    // every page on the stack, bottom to top.
    void didReceiveMemoryWarning() override;

    // Lays the bar area and the top page's view out again over the view's
    // current bounds (after the host resizes the view).
    void layoutPages();

    // Every navigation controller alive now (made by initWithRootViewController),
    // oldest first. The application sends memory warnings through this.
    static std::vector<std::shared_ptr<NavigationController>> liveNavigationControllers();

  private:
    void showTop(bool animated);
    bool isAncestorOrSelf(const ViewController& page) const;
    std::vector<std::shared_ptr<ViewController>> m_stack;
    Transition m_transition;
    std::weak_ptr<View> m_barView;    // the bar area inside the view
    std::weak_ptr<View> m_shownView;  // the page view now inside the view
};

}  // namespace platform
