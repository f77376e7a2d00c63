#pragma once

#include "PageContents.h"
#include "Platform/UI/PageNode.h"

#include <QAccessibleInterface>
#include <QPointer>

#include <optional>

namespace platform {

class AccessibleWindow;
class HostWindow;

// The accessible object of one node of the shown page (a bar button, a view,
// a table row, a web link): role, name, rectangle on screen, state, children,
// and the press, toggle and focus actions, which act exactly as a click or a
// Tab would. A text field also reads its text through the text interface
// (the caret stands at its end, where typing goes). See AccessibleWindow for
// who owns it and how long it lives.
class AccessibleModelView : public QAccessibleInterface,
                            public QAccessibleActionInterface,
                            public QAccessibleTextInterface {
  public:
    AccessibleModelView(HostWindow* window, PageNode node);
    ~AccessibleModelView() override;

    const PageNode& node() const { return m_node; }

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    // The text interface, read only: the field's own keys edit it.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override;
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

  private:
    std::optional<PageContents> contents() const;
    // What the field holds now; empty for every other node.
    QString fieldText() const;
    AccessibleWindow* windowInterface() const;

    QPointer<HostWindow> m_window;
    PageNode m_node;
};

}  // namespace platform
