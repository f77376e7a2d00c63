// The window's board commands through real Qt events on the offscreen
// platform: files dropped on a board of one's own, files dropped on the
// application's own sounds, and "New Board from Folder…" from its shortcut
// through the folder dialogs and the progress dialog.

#include "Classes/Boards/BoardMaker.h"
#include "Classes/Desktop/BoardWindowCommands.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "HostSession.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/TableViewCell.h"
#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using platform::UserDefaults;

namespace {

fs::path work() {
    const fs::path folder = sbtest::tempDir() / "window";
    fs::create_directories(folder);
    return folder;
}

void tone(const fs::path& path) {
    fs::create_directories(path.parent_path());
    testaudio::writeTone(path, {testaudio::wavFormat(), 22050, 1, 0.3, 0.3, 440.0});
}

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? sbtest::readFile(entry.path()) : "(folder)";
    }
    return files;
}

// The labels the main page's table shows, in order.
std::vector<std::string> listedLabels(hosttest::Session& session) {
    std::vector<std::string> labels;
    auto table = session.table();
    if (!table) return labels;
    table->layoutIfNeeded();
    for (int row = 0; row < table->numberOfRowsInSection(0); ++row) {
        auto cell = table->cellForRowAtIndexPath({0, row});
        labels.push_back(cell ? cell->textLabel().text() : "");
    }
    return labels;
}

// Drags `paths` over the window and drops them, as a file manager would.
bool drop(hosttest::Session& session, const std::vector<fs::path>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data.setUrls(urls);
    const QPoint centre = session.window.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&session.window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&session.window, &dropped);
    QCoreApplication::processEvents();
    return dropped.isAccepted();
}

void chooseFolder(hosttest::Session& session, const fs::path& folder) {
    QFileDialog* dialog = session.window.dialogs().folderDialog();
    ASSERT_NE(dialog, nullptr) << "no folder dialog for " << folder;
    // An empty name chooses the folder shown.
    dialog->setDirectory(QString::fromStdString(folder.string()));
    static_cast<QDialog*>(dialog)->accept();  // the OK button
    QCoreApplication::processEvents();
}

struct CommandsInstalled {
    CommandsInstalled() { platform::WindowCommands::setApplicationCommands(boardWindowCommands()); }
    ~CommandsInstalled() { platform::WindowCommands::setApplicationCommands({}); }
};

TEST(BoardWindow, DroppedSoundsJoinTheOpenBoardAndAreListedAtOnceAndAfterARestart) {
    CommandsInstalled commands;
    tone(work() / "Mine" / "1 First.wav");
    tone(work() / "Mine" / "2 Second.wav");
    const fs::path board = work() / "Board";
    media::CancellationFlag notCancelled;
    ASSERT_TRUE(BoardMaker().make(work() / "Mine", board, notCancelled).outcome.done());
    tone(work() / "drop" / "Dropped Bell.wav");
    tone(work() / "drop" / "folder" / "Dropped Drum.wav");

    const std::vector<std::string> grown{"1 First", "2 Second", "Dropped Bell", "Dropped Drum"};
    hosttest::runSession(
        [&](hosttest::Session& session) {
            EXPECT_EQ(listedLabels(session), (std::vector<std::string>{"1 First", "2 Second"}));
            ASSERT_TRUE(
                drop(session, {work() / "drop" / "Dropped Bell.wav", work() / "drop" / "folder"}));
            ASSERT_NE(session.window.dialogs().backgroundWork().progressDialog(), nullptr);
            session.window.dialogs().backgroundWork().waitForWork();
            EXPECT_EQ(listedLabels(session), grown);
            ASSERT_NE(session.window.dialogs().message(), nullptr);
            EXPECT_NE(
                session.window.dialogs().message()->text().toStdString().find("Added 2 sounds"),
                std::string::npos);
        },
        {}, board);

    platform::Bundle::resetMainBundle();
    hosttest::runSession(
        [&](hosttest::Session& session) { EXPECT_EQ(listedLabels(session), grown); }, {}, board);
}

TEST(BoardWindow, SoundsDroppedOnTheApplicationsOwnBundleChangeNothingAndOfferANewBoard) {
    CommandsInstalled commands;
    // A copy, so that a fault could never reach the source tree.
    const fs::path application = work() / "Application";
    fs::copy(SB_HOST_SOURCE_BUNDLE, application, fs::copy_options::recursive);
    tone(work() / "drop" / "Bell.wav");
    const auto before = snapshot(application);

    hosttest::runSession(
        [&](hosttest::Session& session) {
            const auto labels = listedLabels(session);
            ASSERT_TRUE(drop(session, {work() / "drop" / "Bell.wav"}));
            EXPECT_EQ(session.window.dialogs().backgroundWork().progressDialog(), nullptr);
            QMessageBox* question = session.window.dialogs().question();
            ASSERT_NE(question, nullptr);
            question->reject();
            QCoreApplication::processEvents();
            EXPECT_EQ(session.window.dialogs().folderDialog(), nullptr);
            EXPECT_EQ(listedLabels(session), labels);
        },
        {}, application);
    EXPECT_EQ(snapshot(application), before);
}

// Ctrl+N, the folder of sounds, then the place for the board.
void startNewBoard(hosttest::Session& session, const fs::path& source, const fs::path& place) {
    QTest::keyClick(&session.window, Qt::Key_N, Qt::ControlModifier);
    QCoreApplication::processEvents();
    chooseFolder(session, source);
    chooseFolder(session, place);
}

TEST(BoardWindow, CancellingTheProgressDialogLeavesNoBoard) {
    CommandsInstalled commands;
    for (int i = 0; i < 4; ++i) tone(work() / "Sounds" / (std::to_string(i) + ".wav"));
    const fs::path place = work() / "Boards";
    fs::create_directories(place);

    hosttest::runSession([&](hosttest::Session& session) {
        startNewBoard(session, work() / "Sounds", place);
        auto& background = session.window.dialogs().backgroundWork();
        ASSERT_NE(background.progressDialog(), nullptr);
        auto* cancel = background.progressDialog()->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text().toStdString(), "Cancel");
        cancel->click();
        background.waitForWork();
        EXPECT_EQ(background.progressDialog(), nullptr);
        EXPECT_EQ(session.window.dialogs().message(), nullptr) << "a cancel needs no report";
        EXPECT_EQ(platform::Bundle::mainBundle()->bundlePath(), fs::path(SB_HOST_SOURCE_BUNDLE));
    });
    EXPECT_TRUE(fs::is_empty(place));
    for (const auto& entry : fs::directory_iterator(work())) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

TEST(BoardWindow, ANewBoardFromAFolderOpensInTheWindowAndIsRemembered) {
    CommandsInstalled commands;
    tone(work() / "Party" / "10 Horn.wav");
    tone(work() / "Party" / "2 Clap.wav");
    sbtest::writeFile(work() / "Party" / "notes.txt", "not a sound");
    const fs::path place = work() / "Boards";
    sbtest::writeFile(place / "something else.txt", "the folder is not empty");

    hosttest::runSession([&](hosttest::Session& session) {
        const fs::path bundledSettings = UserDefaults::standardUserDefaults().filePath();
        startNewBoard(session, work() / "Party", place);
        session.window.dialogs().backgroundWork().waitForWork();
        // The new board's favourites are its own.
        EXPECT_NE(UserDefaults::standardUserDefaults().filePath(), bundledSettings);
        QMessageBox* report = session.window.dialogs().message();
        ASSERT_NE(report, nullptr);
        const std::string text = report->text().toStdString();
        EXPECT_NE(text.find("Made 2 sounds in 1 category"), std::string::npos) << text;
        EXPECT_NE(text.find("notes.txt"), std::string::npos) << text;
        EXPECT_EQ(platform::Bundle::mainBundle()->bundlePath(), place / "Party");
        EXPECT_EQ(listedLabels(session), (std::vector<std::string>{"2 Clap", "10 Horn"}));
        // The main page names its category (the folder's top level) before the board.
        EXPECT_EQ(session.window.windowTitle().toStdString(), "Party \u2014 Party");
    });
    EXPECT_EQ(LastOpenedBoard::recall(), place / "Party");
    EXPECT_EQ(sbtest::readFile(place / "something else.txt"), "the folder is not empty");
}

}  // namespace
