#include "CommandTable.h"

#include <utility>

namespace platform {

CommandTable& CommandTable::add(std::string name, Perform perform, State state) {
    m_entries.insert_or_assign(std::move(name), Entry{std::move(perform), std::move(state)});
    return *this;
}

std::optional<CommandState> CommandTable::commandState(std::string_view name) const {
    const auto found = m_entries.find(name);
    if (found == m_entries.end()) return std::nullopt;
    return found->second.state ? found->second.state() : CommandState{};
}

bool CommandTable::performCommand(std::string_view name, std::string_view argument) {
    const auto found = m_entries.find(name);
    if (found == m_entries.end() || !found->second.perform) return false;
    // A copy: the command may replace the table's entries while it runs.
    const Perform perform = found->second.perform;
    return perform(argument);
}

}  // namespace platform
