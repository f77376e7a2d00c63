#include "SettingsWriteNotice.h"

#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/HostServices.h"

#include <QMetaObject>
#include <QPointer>

namespace platform {

SettingsWriteNotice::SettingsWriteNotice(HostServices& services) : m_services(services) {
    QPointer<SettingsWriteNotice> self(this);
    UserDefaults::setWriteObserver([self](const std::string& failure) {
        if (!self) return;
        // A store may be written from any thread; the notice belongs to the window's.
        QMetaObject::invokeMethod(
            self.data(),
            [self, failure] {
                if (self) self->written(failure);
            },
            Qt::AutoConnection);
    });
}

SettingsWriteNotice::~SettingsWriteNotice() {
    UserDefaults::setWriteObserver(nullptr);
}

void SettingsWriteNotice::written(const std::string& failure) {
    const bool failed = !failure.empty();
    if (failed && !m_failing) {
        m_services.tell("Settings Not Saved",
                        "Your change could not be saved (" + failure +
                            "). It is kept and will be saved as soon as the settings can be "
                            "written.");
    }
    m_failing = failed;
}

}  // namespace platform
