#include "Classes/Hotkeys/BoardHotkeys.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/HotkeyPreferences.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"

namespace names = command_names;
using platform::Hotkey;

namespace {

constexpr std::string_view kSoundPrefix = "sound:";
// Kept for a hotkey whose key the desktop chose (and remembers) itself.
constexpr std::string_view kChosenByDesktop = "desktop";

// The label of the open board's sound `audioNumber`, or the number itself.
std::string soundLabel(std::string_view audioNumber) {
    for (const auto& listed : Catalogue::everySound(Catalogue::loadDocument())) {
        if (Catalogue::audioNumber(*listed.entry) == audioNumber) {
            return Catalogue::label(*listed.entry);
        }
    }
    return std::string(audioNumber);
}

std::string actionTitle(const std::string& action) {
    if (action.starts_with(kSoundPrefix)) return soundLabel(action.substr(kSoundPrefix.size()));
    if (action == names::kStopAllSounds) return "Stop All Sounds";
    if (action == names::kVolumeUp) return "Volume Up";
    if (action == names::kVolumeDown) return "Volume Down";
    if (action == names::kMute) return "Mute";
    return action;
}

}  // namespace

BoardHotkeys::BoardHotkeys(std::unique_ptr<platform::GlobalHotkeys> hotkeys,
                           std::string unavailable)
    : m_hotkeys(std::move(hotkeys)), m_unavailable(std::move(unavailable)) {
    if (m_hotkeys) m_hotkeys->setActivated([this](int binding) { fire(binding); });
}

BoardHotkeys::~BoardHotkeys() {
    if (m_hotkeys) {
        m_hotkeys->setActivated(nullptr);
        m_hotkeys->unbindAll();
    }
}

std::optional<std::filesystem::path> BoardHotkeys::openBoard() const {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    return bundle->bundlePath();
}

void BoardHotkeys::boardOpened() {
    if (!m_hotkeys) return;
    const auto board = openBoard();
    if (board == m_board) return;
    m_board = board;
    m_hotkeys->unbindAll();
    m_bindings.clear();
    if (!board) return;
    for (const auto& [action, text] : HotkeyPreferences::forBoard(*board)) {
        const auto hotkey =
            text == kChosenByDesktop ? std::optional(Hotkey{}) : Hotkey::parse(text);
        if (!hotkey) continue;
        const int binding = bindingOf(action);
        if (auto refused = m_hotkeys->bind(binding, *hotkey)) {
            // Kept, not dropped: the other program may let go of it by the next start.
            platform::Log("The hotkey of " + actionTitle(action) + " is not in use: " + *refused);
            continue;
        }
        m_bindings[static_cast<std::size_t>(binding)] = Binding{action, *hotkey};
    }
}

int BoardHotkeys::bindingOf(const std::string& action) {
    for (std::size_t index = 0; index < m_bindings.size(); ++index) {
        if (m_bindings[index] && m_bindings[index]->action == action)
            return static_cast<int>(index);
    }
    m_bindings.emplace_back();
    return static_cast<int>(m_bindings.size() - 1);
}

std::optional<std::string> BoardHotkeys::assign(const std::string& action,
                                                const std::optional<Hotkey>& combination) {
    if (!m_hotkeys) return m_unavailable;
    boardOpened();
    if (!m_board) return std::string("No board is open.");
    const int binding = bindingOf(action);
    auto& slot = m_bindings[static_cast<std::size_t>(binding)];
    if (!combination) {
        m_hotkeys->unbind(binding);
        slot.reset();
        HotkeyPreferences::assign(*m_board, action, std::nullopt);
        return std::nullopt;
    }
    const bool desktopChooses = combination->keysym == 0;
    if (!desktopChooses && combination->steals()) {
        return combination->text() +
               " alone would take that key from every program; add Ctrl, Alt or Super.";
    }
    for (const auto& other : m_bindings) {
        if (!desktopChooses && other && other->action != action && other->hotkey == *combination) {
            return combination->text() + " is already the hotkey of " + actionTitle(other->action) +
                   ".";
        }
    }
    if (auto refused = m_hotkeys->bind(binding, *combination)) {
        // What the action had before is bound no more: say so by keeping none.
        slot.reset();
        HotkeyPreferences::assign(*m_board, action, std::nullopt);
        return refused;
    }
    slot = Binding{action, *combination};
    HotkeyPreferences::assign(*m_board, action,
                              desktopChooses ? std::string(kChosenByDesktop) : combination->text());
    return std::nullopt;
}

void BoardHotkeys::setHotkey(const std::string& action, const std::string& title,
                             platform::HostServices& services) {
    if (!m_hotkeys) {
        services.tell("Set Hotkey", m_unavailable);
        return;
    }
    if (m_hotkeys->desktopChoosesKeys()) {
        // The desktop asks the user for the key in its own dialog, and says which it bound.
        if (auto refused = assign(action, Hotkey{})) {
            services.tell("Hotkey Not Set", *refused);
        } else {
            services.tell("Set Hotkey",
                          title + ": " + hotkeyText(action).value_or("as the desktop set it"));
        }
        return;
    }
    services.tell("Set Hotkey", "Press the key combination for " + title +
                                    " now. Escape cancels; Backspace removes its hotkey.");
    m_hotkeys->captureNext([this, action, title](const platform::GlobalHotkeys::Capture& capture) {
        using Kind = platform::GlobalHotkeys::Capture::Kind;
        // The window may have changed since the question; the host of now answers.
        auto& services = platform::Application::sharedApplication().hostServices();
        switch (capture.kind) {
            case Kind::Cancelled:
                services.tell("Set Hotkey", "The hotkey of " + title + " is unchanged.");
                return;
            case Kind::Failed:
                services.tell("Set Hotkey", capture.problem);
                return;
            case Kind::Removed:
                assign(action, std::nullopt);
                services.tell("Set Hotkey", title + " has no hotkey now.");
                return;
            case Kind::Combination:
                break;
        }
        if (auto refused = assign(action, capture.hotkey)) {
            services.tell("Hotkey Not Set", *refused);
        } else {
            services.tell("Set Hotkey", title + ": " + capture.hotkey.text());
        }
    });
}

std::optional<std::string> BoardHotkeys::hotkeyText(const std::string& action) const {
    for (std::size_t index = 0; index < m_bindings.size(); ++index) {
        const auto& binding = m_bindings[index];
        if (!binding || binding->action != action) continue;
        // The desktop has the last word on the key: what it reports is what is shown.
        if (auto shown = m_hotkeys->shownAs(static_cast<int>(index))) return shown;
        if (binding->hotkey.keysym == 0) return std::string("set by the desktop");
        return binding->hotkey.text();
    }
    return std::nullopt;
}

std::string BoardHotkeys::listing() const {
    if (!m_hotkeys) return m_unavailable;
    std::string text;
    for (const auto& binding : m_bindings) {
        if (!binding) continue;
        text += (text.empty() ? "" : "\n") + actionTitle(binding->action) + ": " +
                hotkeyText(binding->action).value_or("") + " (global)";
    }
    return text;
}

void BoardHotkeys::fire(int binding) {
    if (binding < 0 || static_cast<std::size_t>(binding) >= m_bindings.size()) return;
    const auto& slot = m_bindings[static_cast<std::size_t>(binding)];
    if (!slot) return;
    auto& application = platform::Application::sharedApplication();
    if (slot->action.starts_with(kSoundPrefix)) {
        application.sendCommand(names::kPlaySound, slot->action.substr(kSoundPrefix.size()));
    } else {
        application.sendCommand(slot->action);
    }
}
