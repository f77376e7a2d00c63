// File > Remote Control… in the window: switching on shows the address with
// its QR code; Forget All renews the secret; Switch Off stops listening; the
// choice is remembered.

#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Remote/RemoteControl.h"
#include "HostSession.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using hosttest::Session;

QPushButton* buttonOf(QDialog* panel, const char* title) {
    if (panel == nullptr) return nullptr;
    for (QPushButton* button : panel->findChildren<QPushButton*>()) {
        if (button->text() == QString::fromUtf8(title)) return button;
    }
    return nullptr;
}

std::string panelText(QDialog* panel) {
    std::string text;
    if (panel == nullptr) return text;
    for (QLabel* label : panel->findChildren<QLabel*>()) text += label->text().toStdString();
    return text;
}

bool showsCode(QDialog* panel) {
    if (panel == nullptr) return false;
    for (QLabel* label : panel->findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) return true;
    }
    return false;
}

TEST(RemoteControlDialog, SwitchesOnShowsTheCodeRenewsTheSecretAndSwitchesOff) {
    platform::WindowCommands::setApplicationCommands(desktopCommands());
    hosttest::runSession([](Session& session) {
        auto& dialogs = session.window.dialogs();
        RemoteControl& remote = RemoteControl::shared();
        session.window.menus().action("Remote Control\u2026")->trigger();
        QPushButton* on = buttonOf(dialogs.panel(), "Switch On");
        ASSERT_NE(on, nullptr) << "the remote is off until switched on";
        EXPECT_FALSE(remote.isRunning());
        EXPECT_FALSE(showsCode(dialogs.panel()));
        on->click();
        QCoreApplication::processEvents();

        ASSERT_TRUE(remote.isRunning());
        EXPECT_TRUE(RemoteControl::rememberedOn());
        const std::string address = remote.pairingAddress();
        EXPECT_NE(panelText(dialogs.panel()).find(address), std::string::npos);
        EXPECT_TRUE(showsCode(dialogs.panel()));

        QPushButton* forget = buttonOf(dialogs.panel(), "Forget All");
        ASSERT_NE(forget, nullptr);
        forget->click();
        QCoreApplication::processEvents();
        EXPECT_NE(remote.pairingAddress(), address) << "a new secret";
        EXPECT_EQ(remote.pairingAddress().substr(0, address.find("key=")),
                  address.substr(0, address.find("key=")))
            << "on the same port";

        QPushButton* off = buttonOf(dialogs.panel(), "Switch Off");
        ASSERT_NE(off, nullptr);
        off->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(remote.isRunning());
        EXPECT_FALSE(RemoteControl::rememberedOn());
    });
    std::filesystem::remove(DesktopPreferences::file());
}

}  // namespace
