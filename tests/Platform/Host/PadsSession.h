#pragma once

// What the pads page's window tests share: the desktop's commands installed
// (so Ctrl+P opens the pads), no sound or kept preference left for the next
// case, and keys typed past the page slide they start.

#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Pads/PadsPage.h"
#include "HostSession.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace padstest {

class PadsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::WindowCommands::setApplicationCommands(desktopCommands()); }
    void TearDown() override {
        platform::stopAllSystemSounds();
        std::filesystem::remove(DesktopPreferences::file());
    }
};

inline void key(hosttest::Session& session, Qt::Key key,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&session.window, key, modifiers);
    QCoreApplication::processEvents();
    session.advance(platform::PageTransitions::kDuration);
}

inline PadsPage* openPads(hosttest::Session& session) {
    key(session, Qt::Key_P, Qt::ControlModifier);
    return session.topAs<PadsPage>();
}

}  // namespace padstest
