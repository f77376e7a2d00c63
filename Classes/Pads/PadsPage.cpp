#include "Classes/Pads/PadsPage.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Pads/PadButton.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Reference.h"
#include "Classes/SoundContextMenu.h"
#include "Platform/UI/Application.h"

namespace {

constexpr platform::Color kBackground{0.97f, 0.97f, 0.98f, 1.0f};

}  // namespace

void PadsPage::loadView() {
    auto root = std::make_shared<platform::View>(kFrame);
    root->setBackgroundColor(kBackground);
    m_grid = std::make_shared<PadGrid>(kFrame);
    m_grid->setAccessibilityName(kTitle);
    root->addSubview(m_grid);
    setView(std::move(root));
}

void PadsPage::viewDidLoad() {
    ViewController::viewDidLoad();
    navigationItem().setTitle(kTitle);
    readCatalogue();
    // The grid calls back weakly: a pad never keeps its page alive.
    const std::weak_ptr<PadsPage> page = self<PadsPage>();
    m_grid->onPadTapped = [page](int block, int index) {
        if (auto strong = page.lock()) strong->play(block, index);
    };
    m_grid->contextCommandsFor = [page](int block, int index) {
        auto strong = page.lock();
        auto commands = strong ? soundContextCommands(strong->entryAt(block, index), strong)
                               : std::vector<platform::WindowCommand>{};
        // A mark added or removed from the menu shows on the pad at once.
        for (auto& command : commands) {
            if (!command.perform) continue;
            command.perform =
                [page, perform = std::move(command.perform)](platform::HostServices& services) {
                    perform(services);
                    if (auto shown = page.lock()) shown->readMarks();
                };
        }
        return commands;
    };
}

void PadsPage::viewWillAppear(bool /*animated*/) {
    readMarks();
}

void PadsPage::readCatalogue() {
    const auto root = Catalogue::loadDocument();
    std::vector<PadGrid::Block> blocks;
    m_entries.clear();
    const BoardSoundPlayer* sounds = boardSoundPlayer();
    const int categories = Catalogue::categoryCount(root);
    for (int section = 0; section < categories; ++section) {
        const auto category = Catalogue::categoryAt(root, section);
        if (!category) continue;
        PadGrid::Block block;
        block.title = Catalogue::title(*category);
        std::vector<std::shared_ptr<SPXMLElement>> entries;
        const int count = Catalogue::soundCount(root, section);
        for (int row = 0; row < count; ++row) {
            auto entry = Catalogue::soundEntryAt(root, section, row);
            if (!entry) continue;
            PadGrid::Pad pad;
            pad.label = Catalogue::label(*entry);
            pad.audioNumber = Catalogue::audioNumber(*entry);
            pad.sound = sounds != nullptr ? sounds->soundID(pad.audioNumber) : 0;
            block.pads.push_back(std::move(pad));
            entries.push_back(std::move(entry));
        }
        blocks.push_back(std::move(block));
        m_entries.push_back(std::move(entries));
    }
    m_grid->setBlocks(std::move(blocks));
}

std::shared_ptr<SPXMLElement> PadsPage::entryAt(int block, int index) const {
    if (block < 0 || static_cast<std::size_t>(block) >= m_entries.size()) return nullptr;
    const auto& entries = m_entries[static_cast<std::size_t>(block)];
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return entries[static_cast<std::size_t>(index)];
}

void PadsPage::commandPerformed(std::string_view name, std::string_view /*argument*/) {
    if (name == command_names::kPlaySound || name == command_names::kToggleFavourite) readMarks();
}

void PadsPage::readMarks() {
    if (!m_grid) return;
    const BoardSoundPlayer* sounds = boardSoundPlayer();
    for (int block = 0; static_cast<std::size_t>(block) < m_grid->blocks().size(); ++block) {
        for (int index = 0;; ++index) {
            PadGrid::Pad* pad = m_grid->padAt(block, index);
            if (pad == nullptr) break;
            pad->favourite =
                Catalogue::canBeMarked(pad->audioNumber) && Reference::boolForKey(pad->audioNumber);
            if (sounds != nullptr && pad->sound == 0)
                pad->sound = sounds->soundID(pad->audioNumber);
        }
    }
    m_grid->refreshShown();
}

bool PadsPage::play(int block, int index) {
    PadGrid::Pad* pad = m_grid ? m_grid->padAt(block, index) : nullptr;
    if (pad == nullptr) return false;
    const bool played = platform::Application::sharedApplication().sendCommand(
        command_names::kPlaySound, pad->audioNumber);
    // The first play registers the sound: from then on the pad shows its progress.
    if (const BoardSoundPlayer* sounds = boardSoundPlayer())
        pad->sound = sounds->soundID(pad->audioNumber);
    m_grid->refreshShown();
    return played;
}

std::optional<platform::CommandState> PadsPage::commandState(std::string_view name) const {
    // Already here: opening it again from a menu does nothing.
    if (name == command_names::kOpenPads) return platform::CommandState{false, true, true};
    return ViewController::commandState(name);
}
