#pragma once

#include "Platform/UI/PageNode.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <map>
#include <memory>

namespace platform {

class HostWindow;
class Object;
class PageContents;

// What assistive technology reads of the window: its own child widgets first
// (a menu bar), then the shown page as PageContents describes it, one
// AccessibleModelView per node.
//
// Lifetime: Qt makes this interface for the window through the factory that
// install() adds, caches it, and deletes it when the window goes. The model's
// views are not QObjects, so their interfaces are registered with Qt's cache
// by id and owned by this interface: one per node, made when first asked for,
// deleted once the model object the node names has gone (at the next question
// to the window) or with this interface. An interface never holds the model:
// it looks its node up in a new PageContents at every call and is invalid
// while the page does not show it.
class AccessibleWindow : public QAccessibleWidget {
  public:
    explicit AccessibleWindow(HostWindow* window);
    ~AccessibleWindow() override;

    // Adds the factory that gives every HostWindow this interface; each
    // window calls it before anything asks for its interface.
    static void install();
    // Deletes `window`'s interface (and so its nodes') while the window is
    // still whole: a screen reader asking during the window's destruction
    // then meets a plain widget, not a page that is being torn down.
    static void release(HostWindow& window);
    // Tells assistive technology that `node` of `window`'s page has the focus.
    static void announceFocus(HostWindow& window, const PageNode& node);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The interface of `node` (made and registered on first use); null when
    // `contents` does not show it.
    QAccessibleInterface* interfaceFor(const PageContents& contents, const PageNode& node) const;
    // The interface of the parent of entry `position` of `contents`: this
    // interface for the page's top level.
    QAccessibleInterface* parentOf(const PageContents& contents, int position) const;
    HostWindow* hostWindow() const { return m_window; }

  private:
    void forgetGoneNodes() const;
    int widgetChildCount() const;

    struct Registered {
        QAccessible::Id id = 0;
        std::weak_ptr<const Object> subject;
    };
    QPointer<HostWindow> m_window;
    mutable std::map<PageNode, Registered> m_nodes;
};

}  // namespace platform
