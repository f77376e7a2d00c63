#include "ViewPainters.h"

#include "ButtonPainter.h"
#include "ImageViewPainter.h"
#include "LabelPainter.h"
#include "Platform/UI/View.h"
#include "ScrollViewPainter.h"
#include "SwitchPainter.h"
#include "TableViewPainter.h"
#include "TextFieldPainter.h"
#include "WebViewPainter.h"

namespace platform {

ViewPainters::ViewPainters() {
    m_byType.emplace("Label", std::make_unique<LabelPainter>());
    m_byType.emplace("ImageView", std::make_unique<ImageViewPainter>());
    m_byType.emplace("Button", std::make_unique<ButtonPainter>());
    m_byType.emplace("Switch", std::make_unique<SwitchPainter>());
    m_byType.emplace("ScrollView", std::make_unique<ScrollViewPainter>());
    m_byType.emplace("TableView", std::make_unique<TableViewPainter>());
    m_byType.emplace("WebView", std::make_unique<WebViewPainter>());
    m_byType.emplace("TextField", std::make_unique<TextFieldPainter>());
}

const ViewPainter& ViewPainters::forView(const View& view) const {
    const auto found = m_byType.find(view.typeName());
    return found == m_byType.end() ? m_plain : *found->second;
}

}  // namespace platform
