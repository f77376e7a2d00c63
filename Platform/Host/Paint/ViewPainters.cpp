#include "ViewPainters.h"

#include "ButtonPainter.h"
#include "ImageViewPainter.h"
#include "LabelPainter.h"
#include "Platform/Host/Access/ControlDescriptions.h"
#include "Platform/UI/View.h"
#include "ScrollViewPainter.h"
#include "SwitchPainter.h"
#include "TableViewPainter.h"
#include "TextFieldPainter.h"
#include "WebViewPainter.h"

namespace platform {

ViewPainters::ViewPainters() {
    add("Label", std::make_unique<LabelPainter>(), control_descriptions::label);
    add("ImageView", std::make_unique<ImageViewPainter>(), control_descriptions::imageView);
    add("Button", std::make_unique<ButtonPainter>(), control_descriptions::button);
    add("Switch", std::make_unique<SwitchPainter>(), control_descriptions::toggle);
    // A scroll view stands for what it holds.
    add("ScrollView", std::make_unique<ScrollViewPainter>(), nullptr);
    add("TableView", std::make_unique<TableViewPainter>(), control_descriptions::tableView);
    add("WebView", std::make_unique<WebViewPainter>(), control_descriptions::webView);
    add("TextField", std::make_unique<TextFieldPainter>(), control_descriptions::textField);
}

void ViewPainters::add(std::string typeName, std::unique_ptr<ViewPainter> painter,
                       Describe describe) {
    m_byType.insert_or_assign(std::move(typeName), Adapter{std::move(painter), describe});
}

const ViewPainters& ViewPainters::shared() {
    static const ViewPainters painters;
    return painters;
}

const ViewPainter& ViewPainters::forView(const View& view) const {
    const auto found = m_byType.find(view.typeName());
    return found == m_byType.end() ? m_plain : *found->second.painter;
}

bool ViewPainters::describe(View& view, ControlWalk& walk) const {
    const auto found = m_byType.find(view.typeName());
    if (found == m_byType.end() || found->second.describe == nullptr) return false;
    return found->second.describe(view, walk);
}

}  // namespace platform
