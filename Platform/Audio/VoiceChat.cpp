#include "VoiceChat.h"

#include "Platform/Foundation/Log.h"
#include "VoiceChatOwner.h"

#include <pulse/error.h>
#include <pulse/timeval.h>
// (The C library's header declares pidfd_open without C linkage.)
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>

namespace platform {
namespace {

using State = VoiceChatStatus::State;

std::string quoted(const std::string& text) {
    return "“" + text + "”";
}

const char* microphoneName() {
    return kVoiceChatMicrophoneDescription;
}

}  // namespace

VoiceChat::VoiceChat(SampleRing& sounds, int frequency, int channels, MicrophoneChoice microphone)
    : m_sounds(sounds), m_mix(frequency, channels), m_microphone(std::move(microphone)) {
    m_spec.format = PA_SAMPLE_FLOAT32NE;
    m_spec.rate = static_cast<std::uint32_t>(frequency);
    m_spec.channels = static_cast<std::uint8_t>(std::clamp(channels, 1, 2));
    m_status.state = State::Starting;
    m_loop.reset(pa_threaded_mainloop_new());
    if (!m_loop) {
        setState(State::Refused, "the sound server's client library did not start");
        return;
    }
    pa_threaded_mainloop_set_name(m_loop.get(), "voice chat");
    pa_threaded_mainloop_lock(m_loop.get());
    connect();
    pa_threaded_mainloop_unlock(m_loop.get());
    if (pa_threaded_mainloop_start(m_loop.get()) < 0) {
        pa_threaded_mainloop_lock(m_loop.get());
        m_stopping = true;
        if (m_retry != nullptr) pa_threaded_mainloop_get_api(m_loop.get())->time_free(m_retry);
        m_retry = nullptr;
        m_context.reset();
        pa_threaded_mainloop_unlock(m_loop.get());
        m_loop.reset();
        setState(State::Refused, "the sound server's client library did not start");
    }
}

VoiceChat::~VoiceChat() {
    if (!m_loop) return;
    pa_threaded_mainloop_lock(m_loop.get());
    removeEverything();
    pa_threaded_mainloop_unlock(m_loop.get());
    m_loop.reset();
}

void VoiceChat::removeEverything() {
    m_stopping = true;
    if (m_retry != nullptr) pa_threaded_mainloop_get_api(m_loop.get())->time_free(m_retry);
    m_retry = nullptr;
    stopWaitingForOwner();
    m_record.reset();
    m_playback.reset();
    const auto ready = [this] {
        return m_context && pa_context_get_state(m_context.get()) == PA_CONTEXT_READY;
    };
    // A load still under way is let finish, so what it made is known and removed.
    while (m_pending > 0 && ready()) pa_threaded_mainloop_wait(m_loop.get());
    // The microphone before the sink it remaps.
    for (std::uint32_t* module : {&m_sourceModule, &m_sinkModule}) {
        if (*module == PA_INVALID_INDEX || !ready()) continue;
        pa_operation* operation =
            pa_context_unload_module(m_context.get(), *module, &VoiceChat::onUnloaded, this);
        if (operation != nullptr) {
            ++m_pending;
            pulse::OperationPtr owned(operation);
            while (m_pending > 0 && ready()) pa_threaded_mainloop_wait(m_loop.get());
        }
        *module = PA_INVALID_INDEX;
    }
    m_context.reset();
    setState(State::Off);
}

void VoiceChat::connect() {
    m_context = pulse::makeContext(pa_threaded_mainloop_get_api(m_loop.get()));
    if (!m_context) {
        retryLater();
        return;
    }
    pa_context_set_state_callback(m_context.get(), &VoiceChat::onContextState, this);
    if (pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        serverLost();
    }
}

void VoiceChat::retryLater() {
    if (m_retry != nullptr || m_stopping) return;
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(kRetrySeconds * PA_USEC_PER_SEC));
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    m_retry = api->time_new(api, &when, &VoiceChat::onRetry, this);
}

void VoiceChat::onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    api->time_free(event);
    chat.m_retry = nullptr;
    // The failed context goes here, outside its own callbacks.
    chat.m_context.reset();
    if (!chat.m_stopping) chat.connect();
}

void VoiceChat::serverLost() {
    m_record.reset();
    m_playback.reset();
    // Whatever the server had made went with it.
    m_sinkModule = PA_INVALID_INDEX;
    m_sourceModule = PA_INVALID_INDEX;
    m_pending = 0;
    m_stale.clear();
    m_listed.clear();
    m_listing = m_listAgain = m_watchingModules = false;
    m_unloadedLeftovers = m_awaitingNames = m_checkingNames = false;
    stopWaitingForOwner();
    pa_threaded_mainloop_signal(m_loop.get(), 0);
    if (m_stopping) return;
    const State was = status().state;
    if (was == State::On) {
        Log(std::string("Voice chat: the sound server went away; ") + quoted(microphoneName()) +
            " comes back with it");
        m_saidNoServer = true;
    } else if (!m_saidNoServer) {
        Log(std::string("Voice chat: no sound server answers; ") + quoted(microphoneName()) +
            " is made once one does");
        m_saidNoServer = true;
    }
    setState(State::NoServer, "no sound server");
    setMicrophoneInUse({});
    retryLater();
}

void VoiceChat::onContextState(pa_context* context, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        if (!chat.m_stopping) chat.listModules();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        chat.serverLost();
    }
}

void VoiceChat::finishOperation(pa_operation* operation) {
    if (operation == nullptr) {
        setState(State::Refused, pa_strerror(pa_context_errno(m_context.get())));
        Log("Voice chat: the sound server refused a request (" + status().reason + ")");
        return;
    }
    ++m_pending;
    pulse::OperationPtr owned(operation);
}

void VoiceChat::listModules() {
    m_listed.clear();
    m_listing = true;
    m_listAgain = false;
    finishOperation(pa_context_get_module_info_list(m_context.get(), &VoiceChat::onModule, this));
}

void VoiceChat::listAgain() {
    // Only while waiting: the modules removed on the way to our own are no news.
    if (m_stopping || !m_awaitingOwner) return;
    if (m_listing) {
        m_listAgain = true;
        return;
    }
    listModules();
}

void VoiceChat::onModule(pa_context*, const pa_module_info* info, int eol, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if (eol == 0) {
        if (info != nullptr && info->name != nullptr) {
            chat.m_listed.push_back(
                {info->index, info->name, info->argument != nullptr ? info->argument : ""});
        }
        return;
    }
    --chat.m_pending;
    chat.m_listing = false;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (chat.m_stopping) return;
    if (chat.m_listAgain) {
        chat.listModules();
        return;
    }
    if (eol < 0) {
        chat.setState(State::Refused, "the sound server did not list its modules");
        Log("Voice chat: " + chat.status().reason);
        return;
    }
    chat.modulesListed();
}

void VoiceChat::modulesListed() {
    m_stale.clear();
    // Remaps first: a sink goes only once nothing remaps its monitor.
    std::stable_sort(m_listed.begin(), m_listed.end(), [](const auto& a, const auto& b) {
        return (a.name.find("remap") != std::string::npos) >
               (b.name.find("remap") != std::string::npos);
    });
    for (const ListedModule& module : m_listed) {
        const auto owner = voice_chat_owner::ownerIn(module.argument);
        // What this process is making is never taken for a leftover.
        if (!owner || *owner == getpid()) continue;
        if (!voice_chat_owner::madeHere(module.argument)) {
            // Whether that copy still runs cannot be told from here.
            if (status().state != State::OwnedByOtherCopy) {
                Log("Voice chat: a copy of Soundboard on another computer already provides " +
                    quoted(microphoneName()) + " on this sound server; this copy makes none");
            }
            setState(State::OwnedByOtherCopy, "a copy on another computer has it");
            waitForOwner(0);
            m_listed.clear();
            return;
        }
        if (voice_chat_owner::isOtherLiveCopy(*owner)) {
            if (status().state != State::OwnedByOtherCopy) {
                Log("Voice chat: another copy of Soundboard (process " + std::to_string(*owner) +
                    ") already provides " + quoted(microphoneName()) + "; this copy makes none");
            }
            setState(State::OwnedByOtherCopy,
                     "another copy (process " + std::to_string(*owner) + ") has it");
            waitForOwner(*owner);
            m_listed.clear();
            return;
        }
        m_stale.push_back(module.index);
    }
    m_listed.clear();
    stopWaitingForOwner();
    if (!m_stale.empty()) {
        Log("Voice chat: removed " + std::to_string(m_stale.size()) +
            " module(s) a copy that is no longer running left on the sound server");
    }
    unloadNext();
}

void VoiceChat::unloadNext() {
    if (m_stale.empty()) {
        if (m_unloadedLeftovers) {
            loadOnceNamesAreFree();
        } else {
            loadSink();
        }
        return;
    }
    m_unloadedLeftovers = true;
    const std::uint32_t index = m_stale.front();
    m_stale.erase(m_stale.begin());
    finishOperation(pa_context_unload_module(m_context.get(), index, &VoiceChat::onUnloaded, this));
}

void VoiceChat::onUnloaded(pa_context*, int, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    // A module already gone (another client removed it) is as good as removed.
    if (!chat.m_stopping) chat.unloadNext();
}

std::string VoiceChat::moduleArgument(const std::string& properties) const {
    return "'" + properties + " " + std::string(voice_chat_owner::kProperty) + "=" +
           std::to_string(getpid()) + " " + std::string(voice_chat_owner::kMachineProperty) + "=" +
           voice_chat_owner::thisMachine() + "'";
}

void VoiceChat::waitForOwner(pid_t owner) {
    m_awaitingOwner = true;
    // The owner's modules going (switched off, or quit) is told by the server.
    watchServerEvents();
    // A copy that is killed leaves its modules: its process's end is watched too.
    if (owner <= 0 || m_owner.valid()) return;
    m_owner = FileDescriptor(static_cast<int>(syscall(SYS_pidfd_open, owner, 0)));
    if (!m_owner.valid()) return;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    m_ownerWatch =
        api->io_new(api, m_owner.get(), PA_IO_EVENT_INPUT, &VoiceChat::onOwnerExited, this);
}

void VoiceChat::stopWaitingForOwner() {
    m_awaitingOwner = false;
    closeOwnerWatch();
}

void VoiceChat::closeOwnerWatch() {
    if (m_ownerWatch != nullptr) pa_threaded_mainloop_get_api(m_loop.get())->io_free(m_ownerWatch);
    m_ownerWatch = nullptr;
    m_owner = FileDescriptor();
}

void VoiceChat::watchServerEvents() {
    if (m_watchingModules) return;
    m_watchingModules = true;
    pa_context_set_subscribe_callback(m_context.get(), &VoiceChat::onModuleEvent, this);
    const auto mask = static_cast<pa_subscription_mask_t>(
        PA_SUBSCRIPTION_MASK_MODULE | PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE);
    pulse::OperationPtr(pa_context_subscribe(m_context.get(), mask, nullptr, nullptr));
}

void VoiceChat::onModuleEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t,
                              void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_REMOVE) return;
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    if (chat.m_awaitingNames && !chat.m_checkingNames) {
        chat.loadOnceNamesAreFree();
        return;
    }
    if (facility == PA_SUBSCRIPTION_EVENT_MODULE) chat.listAgain();
}

void VoiceChat::loadOnceNamesAreFree() {
    if (m_stopping) return;
    // Watched before asking, so a name freed in between is not missed.
    watchServerEvents();
    m_awaitingNames = true;
    m_checkingNames = true;
    m_nameTaken = false;
    finishOperation(pa_context_get_sink_info_by_name(m_context.get(), kVoiceChatSinkName,
                                                     &VoiceChat::onNameTaken, this));
}

void VoiceChat::onNameTaken(pa_context* context, const pa_sink_info* info, int eol, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if (eol == 0) {
        if (info != nullptr) chat.m_nameTaken = true;
        return;
    }
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (chat.m_stopping) return;
    if (chat.m_nameTaken) {
        // Asked again at the next removal the server tells of.
        chat.m_checkingNames = false;
        return;
    }
    chat.finishOperation(pa_context_get_source_info_by_name(context, kVoiceChatSourceName,
                                                            &VoiceChat::onSourceNameTaken, self));
}

void VoiceChat::onSourceNameTaken(pa_context*, const pa_source_info* info, int eol, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if (eol == 0) {
        if (info != nullptr) chat.m_nameTaken = true;
        return;
    }
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    chat.m_checkingNames = false;
    if (chat.m_stopping || chat.m_nameTaken) return;
    chat.m_awaitingNames = false;
    chat.m_unloadedLeftovers = false;
    chat.loadSink();
}

void VoiceChat::onOwnerExited(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t,
                              void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    chat.closeOwnerWatch();
    chat.listAgain();
}

void VoiceChat::loadSink() {
    const std::string argument =
        std::string("sink_name=") + kVoiceChatSinkName +
        " format=float32le rate=" + std::to_string(m_spec.rate) +
        " channels=" + std::to_string(m_spec.channels) + " sink_properties=" +
        moduleArgument("device.description=\"Soundboard Voice Chat\" device.class=abstract");
    finishOperation(pa_context_load_module(m_context.get(), "module-null-sink", argument.c_str(),
                                           &VoiceChat::onSinkLoaded, this));
}

void VoiceChat::onSinkLoaded(pa_context* context, std::uint32_t index, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (index == PA_INVALID_INDEX) {
        if (chat.m_stopping) return;
        if (!chat.m_listedAfterRefusal) {
            // Another copy may have made its own a moment ago: ask who has it.
            chat.m_listedAfterRefusal = true;
            chat.listModules();
            return;
        }
        chat.setState(State::Refused, std::string("the sound server would not make its sink: ") +
                                          pa_strerror(pa_context_errno(context)));
        Log("Voice chat: " + chat.status().reason);
        return;
    }
    chat.m_sinkModule = index;
    if (!chat.m_stopping) chat.loadSource();
}

void VoiceChat::loadSource() {
    const std::string argument =
        std::string("source_name=") + kVoiceChatSourceName + " master=" + kVoiceChatSinkName +
        ".monitor source_properties=" +
        moduleArgument(std::string("device.description=\"") + microphoneName() + "\"");
    finishOperation(pa_context_load_module(m_context.get(), "module-remap-source", argument.c_str(),
                                           &VoiceChat::onSourceLoaded, this));
}

void VoiceChat::onSourceLoaded(pa_context* context, std::uint32_t index, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (index == PA_INVALID_INDEX) {
        if (chat.m_stopping) return;
        chat.setState(State::Refused,
                      std::string("the sound server would not make its microphone: ") +
                          pa_strerror(pa_context_errno(context)));
        Log("Voice chat: " + chat.status().reason);
        return;
    }
    chat.m_sourceModule = index;
    if (chat.m_stopping) return;
    chat.m_listedAfterRefusal = false;
    chat.startPlayback();
    chat.startMicrophone();
    chat.setState(State::On);
    Log(std::string("Voice chat: ") + quoted(microphoneName()) +
        " is ready for call programs to take as their input");
}

void VoiceChat::startPlayback() {
    pulse::ProplistPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_NAME, "Voice chat");
    m_playback.reset(pa_stream_new_with_proplist(m_context.get(), "Voice chat", &m_spec, nullptr,
                                                 properties.get()));
    if (!m_playback) return;
    pa_stream_set_write_callback(m_playback.get(), &VoiceChat::onWrite, this);
    pa_stream_set_state_callback(m_playback.get(), &VoiceChat::onPlaybackState, this);
    const pa_buffer_attr attributes = playbackAttributes();
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE | PA_STREAM_START_UNMUTED);
    if (pa_stream_connect_playback(m_playback.get(), kVoiceChatSinkName, &attributes, flags,
                                   nullptr, nullptr) < 0) {
        Log(std::string("Voice chat: the sounds could not reach the microphone (") +
            pa_strerror(pa_context_errno(m_context.get())) + ")");
        m_playback.reset();
    }
}

pa_buffer_attr VoiceChat::playbackAttributes() const {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength =
        static_cast<std::uint32_t>(pa_usec_to_bytes(kPlaybackMilliseconds * 1000, &m_spec));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    // Half the target per request: half as many wake-ups as the default's quarter.
    attributes.minreq = attributes.tlength / 2;
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    return attributes;
}

pa_buffer_attr VoiceChat::recordAttributes() const {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize =
        static_cast<std::uint32_t>(pa_usec_to_bytes(kFragmentMilliseconds * 1000, &m_spec));
    attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<std::uint32_t>(-1);
    return attributes;
}

void VoiceChat::onPlaybackState(pa_stream* stream, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if (pa_stream_get_state(stream) != PA_STREAM_READY) return;
    const pa_buffer_attr attributes = chat.playbackAttributes();
    pulse::OperationPtr(pa_stream_set_buffer_attr(stream, &attributes, nullptr, nullptr));
}

void VoiceChat::onWrite(pa_stream* stream, std::size_t bytes, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    const std::size_t frameBytes = pa_frame_size(&chat.m_spec);
    const std::size_t frames = bytes / frameBytes;
    if (frames == 0) return;
    chat.m_buffer.resize(frames * chat.m_spec.channels);
    chat.m_mix.render(chat.m_sounds, chat.m_buffer.data(), frames);
    pa_stream_write(stream, chat.m_buffer.data(), frames * frameBytes, nullptr, 0,
                    PA_SEEK_RELATIVE);
}

void VoiceChat::startMicrophone() {
    m_pinnedSource.clear();
    m_record.reset();
    m_mix.clearMicrophone();
    setMicrophoneInUse({});
    if (!m_microphone) return;
    if (!m_microphone->empty()) {
        connectMicrophone(*m_microphone, true);
        return;
    }
    // The default is passed through only when it is a microphone: not the
    // speakers' monitor (the sounds would come back doubled) nor this
    // program's own microphone (it would feed itself).
    finishOperation(pa_context_get_server_info(m_context.get(), &VoiceChat::onServerInfo, this));
}

void VoiceChat::onServerInfo(pa_context* context, const pa_server_info* info, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (chat.m_stopping || !chat.m_microphone || !chat.m_microphone->empty()) return;
    const std::string source =
        info != nullptr && info->default_source_name != nullptr ? info->default_source_name : "";
    if (source.empty()) return;
    chat.m_defaultIsMonitor = false;
    chat.finishOperation(pa_context_get_source_info_by_name(context, source.c_str(),
                                                            &VoiceChat::onSourceInfo, self));
}

void VoiceChat::onSourceInfo(pa_context*, const pa_source_info* info, int eol, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    if (eol == 0) {
        if (info != nullptr && info->name != nullptr) {
            const bool ours = std::string_view(info->name) == kVoiceChatSourceName;
            if (info->monitor_of_sink != PA_INVALID_INDEX || ours) {
                chat.m_defaultIsMonitor = true;
            } else {
                chat.m_pinnedSource = info->name;
            }
        }
        return;
    }
    --chat.m_pending;
    pa_threaded_mainloop_signal(chat.m_loop.get(), 0);
    if (chat.m_stopping || !chat.m_microphone || !chat.m_microphone->empty()) return;
    if (chat.m_defaultIsMonitor || chat.m_pinnedSource.empty()) {
        Log("Voice chat: the system default input is no microphone; passing none through");
        return;
    }
    chat.connectMicrophone({}, false);
}

void VoiceChat::connectMicrophone(const std::string& source, bool pinned) {
    m_record.reset();
    m_mix.clearMicrophone();
    pulse::ProplistPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_NAME, "Voice chat microphone");
    m_record.reset(pa_stream_new_with_proplist(m_context.get(), "Voice chat microphone", &m_spec,
                                               nullptr, properties.get()));
    if (!m_record) return;
    if (pinned) m_pinnedSource = source;
    pa_stream_set_read_callback(m_record.get(), &VoiceChat::onRead, this);
    pa_stream_set_state_callback(m_record.get(), &VoiceChat::onRecordState, this);
    pa_stream_set_moved_callback(m_record.get(), &VoiceChat::onRecordMoved, this);
    const pa_buffer_attr attributes = recordAttributes();
    auto flags = PA_STREAM_ADJUST_LATENCY;
    // A chosen microphone that goes ends the stream (rather than the server
    // moving it anywhere): the fallback to the default is ours, and said.
    if (pinned) flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(m_record.get(), pinned ? source.c_str() : nullptr, &attributes,
                                 flags) < 0) {
        m_record.reset();
        if (pinned) microphoneFailed();
    }
}

void VoiceChat::onRecordState(pa_stream* stream, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        const char* device = pa_stream_get_device_name(stream);
        chat.setMicrophoneInUse(device != nullptr ? device : "");
        const pa_buffer_attr attributes = chat.recordAttributes();
        pulse::OperationPtr(pa_stream_set_buffer_attr(stream, &attributes, nullptr, nullptr));
        return;
    }
    if (PA_STREAM_IS_GOOD(state) || chat.m_stopping) return;
    // The context's own failure is handled as the server going away.
    if (!chat.m_context || pa_context_get_state(chat.m_context.get()) != PA_CONTEXT_READY) return;
    chat.microphoneFailed();
}

void VoiceChat::microphoneFailed() {
    const std::string gone = m_pinnedSource;
    // Dropped from the loop's next turn: this may run inside the stream's callback.
    pa_stream* failed = m_record.release();
    if (failed != nullptr) {
        pa_stream_set_state_callback(failed, nullptr, nullptr);
        pa_stream_set_read_callback(failed, nullptr, nullptr);
        pa_stream_set_moved_callback(failed, nullptr, nullptr);
        pa_stream_unref(failed);
    }
    setMicrophoneInUse({});
    if (!m_microphone || m_microphone->empty()) return;
    Log("Voice chat: microphone " + quoted(gone) +
        " is not available; passing the system default through");
    m_pinnedSource.clear();
    m_microphone = std::string();
    startMicrophone();
}

void VoiceChat::onRecordMoved(pa_stream* stream, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    const char* device = pa_stream_get_device_name(stream);
    if (device != nullptr && std::string_view(device) == kVoiceChatSourceName) {
        // The default input became this program's own microphone.
        Log("Voice chat: the system default input is now the voice chat's own; passing none "
            "through");
        chat.m_record.reset();
        chat.m_mix.clearMicrophone();
        chat.setMicrophoneInUse({});
        return;
    }
    chat.setMicrophoneInUse(device != nullptr ? device : "");
}

void VoiceChat::onRead(pa_stream* stream, std::size_t, void* self) {
    auto& chat = *static_cast<VoiceChat*>(self);
    const std::size_t frameBytes = pa_frame_size(&chat.m_spec);
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
        // A hole (data lost) is skipped: the queue's bound covers the gap.
        if (data != nullptr) {
            chat.m_buffer.resize(bytes / sizeof(float));
            std::copy_n(static_cast<const std::uint8_t*>(data), bytes / frameBytes * frameBytes,
                        reinterpret_cast<std::uint8_t*>(chat.m_buffer.data()));
            chat.m_mix.addMicrophone(chat.m_buffer.data(), bytes / frameBytes);
        }
        pa_stream_drop(stream);
    }
}

void VoiceChat::setMicrophone(const MicrophoneChoice& microphone) {
    if (!m_loop) {
        m_microphone = microphone;
        return;
    }
    pa_threaded_mainloop_lock(m_loop.get());
    m_microphone = microphone;
    m_pinnedSource.clear();
    if (m_context && pa_context_get_state(m_context.get()) == PA_CONTEXT_READY &&
        m_sourceModule != PA_INVALID_INDEX) {
        startMicrophone();
    }
    pa_threaded_mainloop_unlock(m_loop.get());
}

void VoiceChat::setState(State state, const std::string& reason) {
    std::lock_guard lock(m_statusMutex);
    m_status.state = state;
    m_status.reason = reason;
    if (state == State::On) m_saidNoServer = false;
}

void VoiceChat::setMicrophoneInUse(const std::string& source) {
    std::lock_guard lock(m_statusMutex);
    m_status.microphoneInUse = source;
}

VoiceChatStatus VoiceChat::status() const {
    std::lock_guard lock(m_statusMutex);
    return m_status;
}

}  // namespace platform
