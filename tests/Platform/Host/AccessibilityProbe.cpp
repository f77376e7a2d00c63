// Compiled as a plugin linked into the test program (see FocusRecorderPlugin).
#define QT_STATICPLUGIN

#include "AccessibilityProbe.h"

#include "Classes/MainPage.h"

#include <QAccessibleBridge>
#include <QTest>
#include <QtPlugin>

#include <gtest/gtest.h>

namespace hosttest {
namespace {

std::vector<std::string> g_announced;
bool g_recording = false;

// Without an assistive technology listening, Qt hands every accessibility
// event to the bridges its platform loaded, instead of to an update handler:
// this bridge, loaded from the test program itself, hears them there.
class FocusRecorderBridge final : public QAccessibleBridge {
  public:
    void setRootObject(QAccessibleInterface*) override {}
    void notifyAccessibilityUpdate(QAccessibleEvent* event) override {
        if (!g_recording || event->type() != QAccessible::Focus) return;
        QAccessibleInterface* focused = event->accessibleInterface();
        g_announced.push_back(focused ? focused->text(QAccessible::Name).toStdString() : "<none>");
    }
};

}  // namespace

class FocusRecorderPlugin : public QAccessibleBridgePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QAccessibleBridgeFactoryInterface_iid FILE "FocusRecorderPlugin.json")

  public:
    QAccessibleBridge* create(const QString&) override {
        // Qt keeps the bridges it made until the process ends.
        static FocusRecorderBridge bridge;
        return &bridge;
    }
};

namespace {

void walk(QAccessibleInterface* node, const QRect& window, std::vector<AccessibleNode>& out) {
    for (int index = 0; index < node->childCount(); ++index) {
        QAccessibleInterface* child = node->child(index);
        ASSERT_NE(child, nullptr) << "child " << index << " of "
                                  << node->text(QAccessible::Name).toStdString();
        const std::string name = child->text(QAccessible::Name).toStdString();
        SCOPED_TRACE(name);
        EXPECT_TRUE(child->isValid());
        EXPECT_EQ(child->parent(), node) << "the parent link leads back";
        EXPECT_EQ(node->indexOfChild(child), index);
        const QAccessible::State state = child->state();
        if (!state.offscreen && !state.invisible) {
            EXPECT_FALSE(child->rect().isEmpty());
            EXPECT_TRUE(window.contains(child->rect())) << "inside the window";
        }
        out.push_back({child->role(), name, child->rect(), state, child});
        walk(child, window, out);
    }
}

}  // namespace

std::vector<AccessibleNode> walkAccessibleTree(Session& session) {
    std::vector<AccessibleNode> nodes;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&session.window);
    if (root == nullptr) {
        ADD_FAILURE() << "the window has no accessible interface";
        return nodes;
    }
    const QRect window(session.window.mapToGlobal(QPoint(0, 0)), session.window.size());
    walk(root, window, nodes);
    return nodes;
}

const AccessibleNode* findNode(const std::vector<AccessibleNode>& nodes, QAccessible::Role role,
                               const std::string& name) {
    for (const auto& node : nodes) {
        if (node.role == role && node.name == name) return &node;
    }
    return nullptr;
}

void press(Session& session, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(&session.window, key, modifiers);
    QCoreApplication::processEvents();
}

void tabs(Session& session, int count) {
    for (int i = 0; i < count; ++i) press(session, Qt::Key_Tab);
}

std::string rowText(Session& session, platform::IndexPath indexPath) {
    auto cell = session.table()->cellForRowAtIndexPath(indexPath);
    return cell ? cell->textLabel().text() : std::string();
}

void openOptions(Session& session) {
    session.click(session.barButtonPoint(platform::NavigationBarLayout::Part::kLeft));
    session.advance(MainPage::kOptionsAnimationDuration);
}

void openPlay(Session& session) {
    session.click(session.rowPoint({0, 0}));
    session.advance(1);
}

void openFavourites(Session& session) {
    session.click(session.barButtonPoint(platform::NavigationBarLayout::Part::kRight));
    session.advance(1);
}

void openInfo(Session& session) {
    openPlay(session);
    session.click(session.controlPoint("Info"));
    session.advance(1);
}

FocusAnnouncements::FocusAnnouncements() {
    g_announced.clear();
    g_recording = true;
}

FocusAnnouncements::~FocusAnnouncements() {
    g_recording = false;
}

const std::vector<std::string>& FocusAnnouncements::names() const {
    return g_announced;
}

void FocusAnnouncements::clear() {
    g_announced.clear();
}

}  // namespace hosttest

Q_IMPORT_PLUGIN(FocusRecorderPlugin)

#include "AccessibilityProbe.moc"
