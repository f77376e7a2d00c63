#include "Classes/OpenedRow.h"

#include "Classes/Catalogue/Catalogue.h"

void OpenedRow::opened(platform::IndexPath indexPath, const std::shared_ptr<SPXMLElement>& entry) {
    if (!entry) return;
    m_row = indexPath;
    m_audioNumber = Catalogue::audioNumber(*entry);
}

void OpenedRow::restore(platform::TableView& table, const EntryAt& entryAt) {
    if (!m_row) return;
    // A table not shown yet reads its data now, so the selection is not
    // dropped by a first reload after it.
    table.layoutIfNeeded();
    const auto entry = entryAt ? entryAt(*m_row) : nullptr;
    if (!entry || Catalogue::audioNumber(*entry) != m_audioNumber ||
        m_row->row >= table.numberOfRowsInSection(m_row->section)) {
        m_row.reset();
        return;
    }
    table.selectRowAtIndexPath(*m_row);
    table.scrollToRowAtIndexPath(*m_row);
}
