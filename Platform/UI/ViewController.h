#pragma once

#include "Action.h"
#include "CommandResponder.h"
#include "LayoutLoader.h"
#include "LayoutRegistry.h"
#include "NavigationItem.h"
#include "Object.h"
#include "Platform/Graphics/Geometry.h"
#include "View.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Bundle;
class NavigationController;

// A page: a view tree made from the layout of a name, and the lifecycle calls
// around it. Always held by shared_ptr (make it with initWithNibName).
//
// The view loads on first need (`view()`), then viewDidLoad runs. viewWillAppear
// runs before every appearance. Under memory pressure didReceiveMemoryWarning
// runs; the base releases a loaded view that is not on screen and then calls
// viewDidUnload, so the next view() loads the layout again.
class ViewController : public Object, public CommandResponder {
  public:
    ViewController();
    ~ViewController() override;

    // A new page of class T from the layout `nibName` of `bundle` (null: the
    // main bundle). None when the layout is missing or malformed, names an
    // unknown view type or attribute, holds a value it cannot read, or an outlet
    // or action T does not declare (or an outlet of the wrong type); one log
    // line then names the file and the problem. The layout is checked and its
    // view tree built and connected here; viewDidLoad waits for the first view() call.
    template <class T>
    static std::shared_ptr<T> initWithNibName(std::string_view nibName,
                                              const std::shared_ptr<Bundle>& bundle = nullptr) {
        auto page = std::make_shared<T>();
        if (!page->loadLayout(nibName, bundle, LayoutRegistry::infoFor<T>())) return nullptr;
        return page;
    }

    // Declares no outlets or actions; classes that have some declare their own.
    template <class T>
    static void describeLayout(LayoutClass<T>&) {}

    // The frame of a view made without a layout: the whole 320 x 480 screen.
    static constexpr Rect kDefaultViewFrame{0, 0, 320, 480};

    // Loads the view when needed (running viewDidLoad once per load). The
    // reference stays valid until the view is released or replaced; keep a
    // copy of the pointer across calls that may do either.
    const std::shared_ptr<View>& view();
    bool isViewLoaded() const { return m_viewLoaded; }
    // For layouts and code-made pages: sets the view without loading a layout.
    // The view counts as loaded at the next view() call, which runs viewDidLoad.
    // Null releases the view (without viewDidUnload).
    void setView(std::shared_ptr<View> view);
    // True when the loaded view is in the key window's view tree: the page is
    // the top page of a stack that the key window shows (or a window's own root).
    bool isViewOnScreen() const;

    // Makes the view when view() needs one: the page's layout again, when it
    // was made from one (a failed reload logs one line and leaves no view);
    // pages may override it to build their view in code. Without a view after
    // it, view() makes an empty one of kDefaultViewFrame.
    virtual void loadView();

    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidUnload() {}
    // Base: releases the view when it is not on screen (see isViewOnScreen);
    // after releasing a view that had loaded, calls viewDidUnload.
    virtual void didReceiveMemoryWarning();

    NavigationItem& navigationItem() { return m_navigationItem; }
    const NavigationItem& navigationItem() const { return m_navigationItem; }
    // The stack this page is on; null when it is on none. Non-owning.
    NavigationController* navigationController() const { return m_navigationController; }
    const std::string& title() const { return m_title; }
    // Sets the page title and the navigation item's title.
    void setTitle(std::string title);
    // What the desktop window's title says while this page is on top, before
    // the application's name; empty (the base): the application's name alone.
    virtual std::string windowTitle() const { return {}; }
    const std::string& nibName() const { return m_nibName; }

    // The action the page's layout marks as its default (defaultAction="name"
    // on the layout): what the keyboard's default key does. Performed as a tap
    // on the first control of the shown view that sends it (a disabled button
    // then does nothing), else called directly. Returns the tapped control's
    // accessibility name (empty when none was tapped), or none when the layout
    // marks no default action.
    std::optional<std::string> performDefaultAction();
    // What the keyboard's cancel key (Escape) closes on this page before the
    // stack goes back: an open panel, say. Returns whether it closed
    // something; the base has nothing to close.
    virtual bool cancelOperation() { return false; }

    // The first link of the command chain while on top. The base answers
    // commands::kDefaultAction when its layout marks one (performDefaultAction);
    // pages answer their own commands and pass the rest here.
    std::optional<CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;

    // Builds the view tree of layout `nibName` and connects it to this page as
    // `info` declares. False (with one log line) on any failure.
    bool loadLayout(std::string_view nibName, const std::shared_ptr<Bundle>& bundle,
                    const LayoutClassInfo& info);

  private:
    friend class NavigationController;
    void takeLayout(LayoutLoader::Page page);
    std::shared_ptr<View> m_view;
    Action m_defaultAction;
    std::weak_ptr<View> m_defaultControl;  // inside m_view when set
    bool m_viewLoaded = false;
    std::string m_nibName;
    std::shared_ptr<Bundle> m_bundle;
    const LayoutClassInfo* m_layoutInfo = nullptr;
    NavigationItem m_navigationItem;
    NavigationController* m_navigationController = nullptr;  // set while on a stack
    std::string m_title;
};

}  // namespace platform
