#include "platform/sound_canberra.h"

#include <QFile>
#include <QFileInfo>

#include <canberra.h>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {
constexpr const char* kThemeSound = "message-new-instant";
}

struct CanberraSound::Worker {
    std::mutex mutex;
    std::condition_variable wake;
    // Files to play; an empty entry stands for the theme sound.
    std::deque<std::string> queue;
    bool stopping = false;
    ca_context* context = nullptr;
    std::thread thread;

    Worker() : thread([this] { run(); }) {}

    ~Worker() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_one();
        thread.join();
        if (context)
            ca_context_destroy(context);
    }

    void post(std::string file) {
        {
            std::lock_guard lock(mutex);
            if (queue.size() >= 4)
                return; // a burst of openings needs no backlog of sounds
            queue.push_back(std::move(file));
        }
        wake.notify_one();
    }

    void run() {
        for (;;) {
            std::string file;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !queue.empty(); });
                if (stopping)
                    return;
                file = std::move(queue.front());
                queue.pop_front();
            }
            play(file);
        }
    }

    bool ensureContext() {
        if (context)
            return true;
        if (ca_context_create(&context) != CA_SUCCESS) {
            context = nullptr;
            return false;
        }
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Chatterwick 2",
                                CA_PROP_APPLICATION_ID, "chatterwick2", nullptr);
        return true;
    }

    // A file that cannot be decoded fails only after playback started: fall back then.
    static void finished(ca_context*, uint32_t, int error, void* userdata) {
        if (error != CA_SUCCESS && error != CA_ERROR_CANCELED)
            static_cast<Worker*>(userdata)->post({});
    }

    void play(const std::string& file) {
        if (!ensureContext())
            return;
        if (!file.empty()) {
            ca_proplist* props = nullptr;
            if (ca_proplist_create(&props) == CA_SUCCESS) {
                ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME, file.c_str());
                ca_proplist_sets(props, CA_PROP_EVENT_DESCRIPTION, "Incoming message");
                ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
                const int result = ca_context_play_full(context, 0, props, &finished, this);
                ca_proplist_destroy(props);
                if (result == CA_SUCCESS)
                    return;
            }
        }
        // No file, or it cannot be played: the desktop's own message sound, or silence.
        ca_context_play(context, 0, CA_PROP_EVENT_ID, kThemeSound, CA_PROP_EVENT_DESCRIPTION,
                        "Incoming message", nullptr);
    }
};

CanberraSound::CanberraSound() : worker_(std::make_unique<Worker>()) {}

CanberraSound::~CanberraSound() = default;

void CanberraSound::playAsync(const QString& waveFile) {
    const QFileInfo info(waveFile);
    worker_->post(info.isFile() && info.isReadable()
                      ? QFile::encodeName(info.absoluteFilePath()).toStdString()
                      : std::string());
}
