#pragma once

#include "Platform/Host/Window/BackgroundWorkRunner.h"
#include "Platform/UI/HostServices.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>

class QWidget;

namespace platform {

// The window host's services to the application's commands, as Qt dialogs
// over the window: each opens window-modal without a nested event loop and
// answers through its callback. A dialog that is still open when the next of
// its kind is asked for is closed unanswered.
//
// Lifetime: owned by the window (and must go before it); dialogs go with it.
class HostDialogs final : public HostServices {
  public:
    using BundleOpener = std::function<bool(const std::filesystem::path& folder)>;

    HostDialogs(QWidget& window, BundleOpener openBundle);
    ~HostDialogs() override;

    void chooseFolder(std::string title, std::filesystem::path start, FolderChosen chosen) override;
    void ask(std::string title, std::string question, std::string acceptText,
             Answered answered) override;
    void tell(std::string title, std::string text) override;
    void showPanel(HostPanel panel) override;
    bool runInBackground(BackgroundWork work) override;
    bool openBundle(const std::filesystem::path& folder) override;
    double zoom() const override;
    void setZoom(double zoom) override;

    // Where zoom() and setZoom() go: the window's own scale. Without them the
    // zoom stays 1.
    using ZoomReader = std::function<double()>;
    using ZoomWriter = std::function<void(double zoom)>;
    void setZoomHandlers(ZoomReader read, ZoomWriter write);

    // What is open now (null when nothing is), for tests and assistive tools.
    QFileDialog* folderDialog() const;
    QMessageBox* question() const;
    QMessageBox* message() const;
    QDialog* panel() const;
    BackgroundWorkRunner& backgroundWork() { return m_work; }

  private:
    // Qt may still be delivering a dialog's own signal when it is replaced.
    struct DeleteLater {
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    template <class Dialog>
    using DialogPointer = std::unique_ptr<Dialog, DeleteLater>;

    QWidget& m_window;
    BundleOpener m_openBundle;
    ZoomReader m_readZoom;
    ZoomWriter m_writeZoom;
    DialogPointer<QFileDialog> m_folderDialog;
    DialogPointer<QMessageBox> m_question;
    DialogPointer<QMessageBox> m_message;
    DialogPointer<QDialog> m_panel;
    BackgroundWorkRunner m_work;
};

}  // namespace platform
