#pragma once

#include "Label.h"
#include "View.h"

#include <memory>
#include <string>

namespace platform {

enum TableViewCellAccessoryType : int {
    kTableViewCellAccessoryNone = 0,
    kTableViewCellAccessoryDisclosureIndicator = 1,
};

// A row of a table, default style: one text label and an accessory.
class TableViewCell : public View {
  public:
    explicit TableViewCell(std::string reuseIdentifier);
    // The default-style cell bound to `reuseIdentifier` (the frame is set by the table).
    static std::shared_ptr<TableViewCell> initWithFrameReuseIdentifier(Rect frame,
                                                                       std::string reuseIdentifier);
    std::string_view typeName() const override { return "TableViewCell"; }

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    Label& textLabel() { return *m_textLabel; }
    const Label& textLabel() const { return *m_textLabel; }
    int accessoryType() const { return m_accessoryType; }
    void setAccessoryType(int type);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    // Called by the table before the cell is handed out again.
    virtual void prepareForReuse() { m_selected = false; }

    // Left inset of the text and the width kept free for an accessory.
    static constexpr double kTextInset = 15.0;
    static constexpr double kAccessoryWidth = 30.0;
    // Places the text label across the cell, clear of the accessory.
    void layoutSubviews() override;

  private:
    std::string m_reuseIdentifier;
    std::shared_ptr<Label> m_textLabel;
    int m_accessoryType = kTableViewCellAccessoryNone;
    bool m_selected = false;
};

}  // namespace platform
