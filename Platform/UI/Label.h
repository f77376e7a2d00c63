#pragma once

#include "View.h"

namespace platform {

template <class T>
class LayoutAttributes;

enum TextAlignment : int {
    kTextAlignmentLeft = 0,
    kTextAlignmentCenter = 1,
    kTextAlignmentRight = 2
};

class Label : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "Label"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<Label>& attributes);

    const std::string& text() const { return m_text; }
    void setText(std::string text) { m_text = std::move(text); }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size) { m_fontSize = size; }
    bool isBold() const { return m_bold; }
    void setBold(bool bold) { m_bold = bold; }
    int textAlignment() const { return m_alignment; }
    void setTextAlignment(int alignment) { m_alignment = alignment; }
    Color textColor() const { return m_textColor; }
    void setTextColor(Color color) { m_textColor = color; }
    // 0: as many lines as the text needs (wrapped to the width).
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines) { m_numberOfLines = lines; }

  private:
    std::string m_text;
    double m_fontSize = 17.0;
    bool m_bold = false;
    int m_alignment = kTextAlignmentLeft;
    Color m_textColor = Color::blackColor();
    int m_numberOfLines = 1;
};

}  // namespace platform
