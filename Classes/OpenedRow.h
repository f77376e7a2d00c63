#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/TableView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The row a sound list last opened, so that the list shows it selected again
// when its page comes back: the keys then carry on from where the user was.
// A row is only selected again while it still lists the same sound (a list
// read anew may have moved or lost it).
class OpenedRow {
  public:
    using EntryAt = std::function<std::shared_ptr<SPXMLElement>(platform::IndexPath)>;

    // The row `indexPath` was opened and showed `entry`.
    void opened(platform::IndexPath indexPath, const std::shared_ptr<SPXMLElement>& entry);
    // Selects the remembered row of `table` again when `entryAt` finds the
    // same sound there; forgets it otherwise.
    void restore(platform::TableView& table, const EntryAt& entryAt);

  private:
    std::optional<platform::IndexPath> m_row;
    std::string m_audioNumber;
};
