#pragma once

#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "PulseHandles.h"
#include "SampleRing.h"
#include "VoiceMix.h"

#include <pulse/introspect.h>
#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// The virtual microphone on the user's sound server, while this object lives.
//
// On the server, through its client library: a null sink at the mixer's own
// format (so the program's samples reach it unconverted) that nobody hears,
// and "Soundboard Microphone", a remap of that sink's monitor, which call
// programs list as a real input (many hide monitors). Every module carries
// voice_chat_owner::kProperty with this process's id; before making its own,
// a start removes what a copy that is no longer running left behind, and
// makes nothing when a running copy has made them. It then waits for that
// copy to let them go (its modules removed, or the process gone) and makes
// its own at once; what a copy on another computer made is never touched.
//
// The sound: a playback stream of its own into the null sink, whose write
// callback sums the program's finished mix (`sounds`, filled on the mixer's
// thread) with a recording of the chosen microphone (VoiceMix), with small
// buffers so the call hears both a few milliseconds late at most.
//
// Everything runs on a client-library thread of its own. A server that goes
// away is tried again every kRetrySeconds and everything is made again once it
// answers; destruction removes everything it made and waits for the server to
// confirm (a server that went away took it along).
class VoiceChat {
  public:
    static constexpr double kRetrySeconds = 0.2;
    // What the stream into the null sink keeps queued, and the size of the
    // microphone's fragments.
    static constexpr int kPlaybackMilliseconds = 10;
    static constexpr int kFragmentMilliseconds = 5;

    VoiceChat(SampleRing& sounds, int frequency, int channels, MicrophoneChoice microphone);
    ~VoiceChat();
    VoiceChat(const VoiceChat&) = delete;
    VoiceChat& operator=(const VoiceChat&) = delete;

    void setMicrophone(const MicrophoneChoice& microphone);
    VoiceChatStatus status() const;

  private:
    // These run on the loop's thread (or with its lock held).
    void connect();
    void retryLater();
    void serverLost();
    void listModules();
    void modulesListed();
    void unloadNext();
    void loadSink();
    void loadSource();
    void startPlayback();
    void startMicrophone();
    void resolveDefaultMicrophone(const std::string& defaultSource);
    void connectMicrophone(const std::string& source, bool pinned);
    void microphoneFailed();
    void setState(VoiceChatStatus::State state, const std::string& reason = {});
    void setMicrophoneInUse(const std::string& source);
    std::string moduleArgument(const std::string& properties) const;
    void finishOperation(pa_operation* operation);
    void removeEverything();
    void listAgain();
    void waitForOwner(pid_t owner);
    void stopWaitingForOwner();
    void closeOwnerWatch();
    void watchServerEvents();
    void loadOnceNamesAreFree();
    static void onNameTaken(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void onSourceNameTaken(pa_context* context, const pa_source_info* info, int eol,
                                  void* self);

    static void onContextState(pa_context* context, void* self);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when,
                        void* self);
    static void onModule(pa_context* context, const pa_module_info* info, int eol, void* self);
    static void onUnloaded(pa_context* context, int success, void* self);
    static void onSinkLoaded(pa_context* context, std::uint32_t index, void* self);
    static void onSourceLoaded(pa_context* context, std::uint32_t index, void* self);
    static void onWrite(pa_stream* stream, std::size_t bytes, void* self);
    static void onRead(pa_stream* stream, std::size_t bytes, void* self);
    static void onRecordState(pa_stream* stream, void* self);
    static void onPlaybackState(pa_stream* stream, void* self);
    // The buffer sizes this stream is meant to have (the client library's
    // $PULSE_LATENCY_MSEC, which the output sets for SDL's stream, replaces
    // those given at connection; these are asked for again once ready).
    pa_buffer_attr playbackAttributes() const;
    pa_buffer_attr recordAttributes() const;
    static void onRecordMoved(pa_stream* stream, void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void onModuleEvent(pa_context* context, pa_subscription_event_type_t type,
                              std::uint32_t index, void* self);
    static void onOwnerExited(pa_mainloop_api* api, pa_io_event* event, int fd,
                              pa_io_event_flags_t flags, void* self);

    struct ListedModule {
        std::uint32_t index;
        std::string name;
        std::string argument;
    };

    SampleRing& m_sounds;
    VoiceMix m_mix;
    pa_sample_spec m_spec{};
    pulse::ThreadedMainloopPtr m_loop;
    pulse::ContextPtr m_context;
    pulse::StreamPtr m_playback;
    pulse::StreamPtr m_record;
    pa_time_event* m_retry = nullptr;
    std::vector<ListedModule> m_listed;
    std::vector<std::uint32_t> m_stale;
    std::uint32_t m_sinkModule = PA_INVALID_INDEX;
    std::uint32_t m_sourceModule = PA_INVALID_INDEX;
    int m_pending = 0;
    // A module listing is under way; another was asked for meanwhile.
    bool m_listing = false;
    bool m_listAgain = false;
    // The sink could not be made: listed once more, in case another copy
    // made its own at the same moment.
    bool m_listedAfterRefusal = false;
    // While another copy owns the microphone: its process, watched for exit.
    bool m_awaitingOwner = false;
    // Leftovers were unloaded: the server frees their names a moment after
    // it answers, and a sink made before would get another name.
    bool m_unloadedLeftovers = false;
    bool m_awaitingNames = false;
    bool m_checkingNames = false;
    bool m_nameTaken = false;
    FileDescriptor m_owner;
    pa_io_event* m_ownerWatch = nullptr;
    bool m_watchingModules = false;
    bool m_stopping = false;
    bool m_saidNoServer = false;
    MicrophoneChoice m_microphone;
    // The source the record stream was asked for by name; empty: the default.
    std::string m_pinnedSource;
    bool m_defaultIsMonitor = false;
    std::vector<float> m_buffer;

    mutable std::mutex m_statusMutex;
    VoiceChatStatus m_status;
};

}  // namespace platform
