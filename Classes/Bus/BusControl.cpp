#include "Classes/Bus/BusControl.h"

#include "Classes/Desktop/SoundMenuCommands.h"
#include "Classes/Bus/BoardRemote.h"
#include "Platform/DBus/BusNames.h"
#include "Platform/DBus/BusService.h"
#include "Platform/Foundation/Log.h"

BusControl::BusControl(const std::string& address)
    : m_target(std::make_shared<BoardRemote>()) {
    std::string problem;
    m_service = platform::BusService::start(m_target, address, problem);
    if (!m_service) {
        platform::Log("Remote control is off: " + problem);
        return;
    }
    const std::string name = platform::bus::kServiceName;
    if (m_service->standing() == platform::BusService::Standing::Owner) {
        platform::Log("Remote control: serving " + name + " on the session bus");
    } else {
        platform::Log("Remote control: another copy serves " + name +
                      "; this one takes over when it ends");
    }
    setSoundLevelObserver([service = m_service.get(), target = m_target.get()] {
        service->publishVolume(target->volume());
    });
}

BusControl::~BusControl() {
    if (m_service) setSoundLevelObserver(nullptr);
}
