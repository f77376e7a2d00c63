#include "HostDialogs.h"

#include "PanelDialog.h"
#include "Platform/Host/Paint/DrawnText.h"

#include <QPushButton>
#include <QWidget>

namespace platform {
namespace {

template <class Dialog>
Dialog* ifOpen(Dialog* dialog) {
    return dialog != nullptr && dialog->isVisible() ? dialog : nullptr;
}

}  // namespace

HostDialogs::HostDialogs(QWidget& window, BundleOpener openBundle)
    : m_window(window), m_openBundle(std::move(openBundle)), m_work(window, *this) {}

HostDialogs::~HostDialogs() = default;

void HostDialogs::chooseFolder(std::string title, std::filesystem::path start,
                               FolderChosen chosen) {
    m_folderDialog.reset(new QFileDialog(&m_window, QString::fromStdString(title),
                                         QString::fromStdString(start.string())));
    QFileDialog* dialog = m_folderDialog.get();
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, chosen = std::move(chosen)](int result) {
                         const QStringList files = dialog->selectedFiles();
                         dialog->hide();
                         if (result != QDialog::Accepted || files.isEmpty()) {
                             chosen(std::nullopt);
                         } else {
                             chosen(std::filesystem::path(files.front().toStdString()));
                         }
                     });
    dialog->open();
}

void HostDialogs::ask(std::string title, std::string question, std::string acceptText,
                      Answered answered) {
    m_question.reset(new QMessageBox(QMessageBox::Question, QString::fromStdString(title),
                                     QString::fromStdString(question), QMessageBox::Cancel,
                                     &m_window));
    QMessageBox* box = m_question.get();
    QPushButton* accept =
        box->addButton(QString::fromStdString(acceptText), QMessageBox::AcceptRole);
    box->setDefaultButton(accept);
    box->setWindowModality(Qt::WindowModal);
    QObject::connect(box, &QDialog::finished, box,
                     [box, accept, answered = std::move(answered)](int) {
                         const bool accepted = box->clickedButton() == accept;
                         box->hide();
                         answered(accepted);
                     });
    box->open();
}

void HostDialogs::tell(std::string title, std::string text) {
    m_message.reset(new QMessageBox(QMessageBox::Information, QString::fromStdString(title),
                                    DrawnText::of(text, 8000), QMessageBox::Ok, &m_window));
    m_message->setWindowModality(Qt::WindowModal);
    m_message->open();
}

void HostDialogs::showPanel(HostPanel panel) {
    m_panel.reset(makePanelDialog(std::move(panel), m_window));
    m_panel->setWindowModality(Qt::WindowModal);
    m_panel->open();
}

bool HostDialogs::runInBackground(BackgroundWork work) {
    return m_work.start(std::move(work));
}

bool HostDialogs::openBundle(const std::filesystem::path& folder) {
    return m_openBundle && m_openBundle(folder);
}

double HostDialogs::zoom() const {
    return m_readZoom ? m_readZoom() : 1.0;
}

void HostDialogs::setZoom(double zoom) {
    if (m_writeZoom) m_writeZoom(zoom);
}

void HostDialogs::setZoomHandlers(ZoomReader read, ZoomWriter write) {
    m_readZoom = std::move(read);
    m_writeZoom = std::move(write);
}

QFileDialog* HostDialogs::folderDialog() const {
    return ifOpen(m_folderDialog.get());
}

QMessageBox* HostDialogs::question() const {
    return ifOpen(m_question.get());
}

QMessageBox* HostDialogs::message() const {
    return ifOpen(m_message.get());
}

QDialog* HostDialogs::panel() const {
    return ifOpen(m_panel.get());
}

}  // namespace platform
