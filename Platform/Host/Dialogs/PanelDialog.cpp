#include "PanelDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {
namespace {

// Four light modules around the code, as QR readers need.
constexpr int kQuietZone = 4;
constexpr int kPixelsPerModule = 6;

QImage codeImage(const HostPanel& panel) {
    const int side = panel.codeSize + 2 * kQuietZone;
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(255);
    const auto count =
        static_cast<std::size_t>(panel.codeSize) * static_cast<std::size_t>(panel.codeSize);
    if (panel.codeSize <= 0 || panel.code.size() != count) return QImage();
    for (int y = 0; y < panel.codeSize; ++y) {
        for (int x = 0; x < panel.codeSize; ++x) {
            const std::size_t index =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(panel.codeSize) +
                static_cast<std::size_t>(x);
            if (panel.code[index]) image.setPixel(x + kQuietZone, y + kQuietZone, qRgb(0, 0, 0));
        }
    }
    return image.scaled(side * kPixelsPerModule, side * kPixelsPerModule, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

}  // namespace

QDialog* makePanelDialog(HostPanel panel, QWidget& window) {
    auto* dialog = new QDialog(&window);
    dialog->setWindowTitle(QString::fromStdString(panel.title));
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QLabel(QString::fromStdString(panel.text), dialog);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setWordWrap(true);
    layout->addWidget(text);
    const QImage image = codeImage(panel);
    if (!image.isNull()) {
        auto* code = new QLabel(dialog);
        code->setPixmap(QPixmap::fromImage(image));
        code->setAlignment(Qt::AlignCenter);
        code->setAccessibleName(QStringLiteral("QR code of the address above"));
        layout->addWidget(code);
    }
    auto* buttons = new QDialogButtonBox(dialog);
    for (HostPanel::Button& entry : panel.buttons) {
        QPushButton* button =
            buttons->addButton(QString::fromStdString(entry.title), QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, dialog,
                         [dialog, action = std::move(entry.action)] {
                             dialog->hide();
                             if (action) action();
                         });
    }
    layout->addWidget(buttons);
    return dialog;
}

}  // namespace platform
