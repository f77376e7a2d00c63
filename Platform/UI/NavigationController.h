#pragma once

#include "ViewController.h"

#include <memory>
#include <optional>
#include <vector>

namespace platform {

// What the navigation bar shows for the current stack.
struct NavigationBarState {
    std::string title;                       // the top page's navigation item title
    std::shared_ptr<View> titleView;         // shown in place of the title when set
    std::optional<std::string> backTitle;    // the page below's title; none at the root
    std::shared_ptr<BarButtonItem> left;     // hidden while a back button shows
    std::shared_ptr<BarButtonItem> right;
};

// A stack of pages; owns every page on it. Its view holds the top page's view
// below a 44-point navigation bar.
class NavigationController : public ViewController {
public:
    static constexpr double kNavigationBarHeight = 44.0;

    static std::shared_ptr<NavigationController> initWithRootViewController(
        std::shared_ptr<ViewController> root);
    ~NavigationController() override;

    // Loads the page's view (viewDidLoad) if needed, then the page appears on
    // top (viewWillAppear). A page already on a stack is ignored.
    void pushViewController(std::shared_ptr<ViewController> page, bool animated);
    // The back control: pops and releases the top page (never the root), then
    // the page below appears again (viewWillAppear). Returns the popped page.
    std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);

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

    void viewDidLoad() override;
    void didReceiveMemoryWarning() override;

private:
    void showTop(bool animated);
    std::vector<std::shared_ptr<ViewController>> m_stack;
    Transition m_transition;
};

}  // namespace platform
