#include "ServerStateReader.h"

#include "Platform/Audio/VoiceChatControls.h"
#include "PulseHandles.h"

#include <pulse/introspect.h>

#include <algorithm>
#include <string_view>

namespace platform {

bool SoundServerState::hasSink(const std::string& name) const {
    return std::any_of(sinks.begin(), sinks.end(),
                       [&](const OutputDeviceInfo& sink) { return sink.name == name; });
}

bool ServerStateReader::start(pa_context* context, Done done) {
    m_state = {};
    m_done = std::move(done);
    m_failed = false;
    m_outstanding = 2;
    pulse::OperationPtr server(pa_context_get_server_info(context, &onServerInfo, this));
    if (!server) {
        m_outstanding = 0;
        return false;
    }
    pulse::OperationPtr sinks(pa_context_get_sink_info_list(context, &onSinkInfo, this));
    if (!sinks) {
        // The first answer still arrives and finds the reader failed.
        m_failed = true;
        m_outstanding = 1;
    }
    return true;
}

void ServerStateReader::onServerInfo(pa_context*, const pa_server_info* info, void* self) {
    auto& reader = *static_cast<ServerStateReader*>(self);
    if (info != nullptr) {
        reader.m_state.serverName = info->server_name != nullptr ? info->server_name : "";
        reader.m_state.pipeWire =
            std::string_view(reader.m_state.serverName).find("PipeWire") != std::string_view::npos;
        reader.m_state.defaultSink =
            info->default_sink_name != nullptr ? info->default_sink_name : "";
    }
    reader.finishOne(info == nullptr);
}

void ServerStateReader::onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto& reader = *static_cast<ServerStateReader*>(self);
    if (eol != 0) {
        reader.finishOne(eol < 0);
        return;
    }
    if (info == nullptr || info->name == nullptr) return;
    // The voice chat's own sink is nobody's speakers.
    if (std::string_view(info->name) == kVoiceChatSinkName) return;
    OutputDeviceInfo sink;
    sink.name = info->name;
    sink.description =
        info->description != nullptr && *info->description != 0 ? info->description : info->name;
    reader.m_state.sinks.push_back(std::move(sink));
}

void ServerStateReader::finishOne(bool failed) {
    m_failed = m_failed || failed;
    if (m_outstanding <= 0 || --m_outstanding > 0) return;
    // Moved out first: `done` may start the reader again.
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done) done(m_failed ? nullptr : &m_state);
}

}  // namespace platform
