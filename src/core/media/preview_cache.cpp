#include "media/preview_cache.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <list>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

#include <sys/stat.h>

namespace vireta {

namespace {

// What identifies one version of a file. A missing or unreadable file has
// exists == false and compares equal to any other missing state.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;  // nanoseconds

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified == o.modified && changed == o.changed;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp stampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    FileStamp s;
    s.exists = true;
    s.device = static_cast<std::uint64_t>(st.st_dev);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.size = static_cast<std::int64_t>(st.st_size);
    s.modified = nanoseconds(st.st_mtim);
    s.changed = nanoseconds(st.st_ctim);
    return s;
}

bool mine(const std::string& path) {
    return imageFormatOf(path) != ImageFormat::Other;
}

} // namespace

struct PreviewCache::State {
    struct Entry {
        std::string path;
        FileStamp stamp;
        PreviewResult result;
        std::size_t bytes = 0;
    };

    int boxWidth;
    int boxHeight;
    Decoder decoder;
    Limits limits;

    mutable std::mutex mutex;
    std::condition_variable changed; // work queued, a decode finished, or stopping
    std::list<Entry> entries;        // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index;
    std::size_t bytes = 0;
    // Decodes under way (on any thread), with the file version each one reads.
    std::unordered_map<std::string, FileStamp> decoding;
    std::deque<std::string> queue;
    bool stopping = false;
    std::thread worker; // started by the first prefetch
    ReadyHandler ready;
    // Held by the background thread while it calls `ready`, so that replacing the
    // handler waits for a call under way.
    std::mutex readyMutex;

    State(int w, int h, Decoder d, Limits l)
        : boxWidth(w), boxHeight(h), decoder(std::move(d)), limits(l) {}

    // Under the lock: the cached result for this version of the file, moved to the
    // front; null when there is none.
    const PreviewResult* lookup(const std::string& path, const FileStamp& stamp) {
        const auto found = index.find(path);
        if (found == index.end() || found->second->stamp != stamp) {
            return nullptr;
        }
        entries.splice(entries.begin(), entries, found->second);
        return &found->second->result;
    }

    // Under the lock: whether a decode of this version is under way.
    bool beingDecoded(const std::string& path, const FileStamp& stamp) const {
        const auto found = decoding.find(path);
        return found != decoding.end() && found->second == stamp;
    }

    // Without the lock.
    PreviewResult decode(const std::string& path, const FileStamp& stamp) const {
        PreviewResult result;
        result.status = PreviewResult::Status::Failed;
        if (!stamp.exists) {
            result.error = "cannot open " + path;
            return result;
        }
        try {
            result.image = std::make_shared<const Image>(decoder(path, boxWidth, boxHeight));
            result.status = PreviewResult::Status::Picture;
        } catch (const std::exception& e) {
            result.error = e.what();
        } catch (...) {
            result.error = "cannot decode " + path;
        }
        return result;
    }

    // Under the lock: keeps a result, replacing an older version's, and trims the
    // least recently used entries to the limits (the newest one always stays).
    void store(const std::string& path, const FileStamp& stamp, const PreviewResult& result) {
        const auto old = index.find(path);
        if (old != index.end()) {
            bytes -= old->second->bytes;
            entries.erase(old->second);
            index.erase(old);
        }
        Entry entry{path, stamp, result, result.image ? result.image->pixels.size() : 0};
        bytes += entry.bytes;
        entries.push_front(std::move(entry));
        index[path] = entries.begin();
        while (entries.size() > 1 &&
               (entries.size() > limits.entries || bytes > limits.bytes)) {
            bytes -= entries.back().bytes;
            index.erase(entries.back().path);
            entries.pop_back();
        }
    }

    // Decodes one version of a file and stores it, with `lock` held on entry and on
    // return; releases it meanwhile. The caller has checked that no one else decodes it.
    PreviewResult decodeAndStore(std::unique_lock<std::mutex>& lock, const std::string& path,
                                 const FileStamp& stamp) {
        decoding[path] = stamp;
        lock.unlock();
        PreviewResult result = decode(path, stamp);
        lock.lock();
        decoding.erase(path);
        store(path, stamp, result);
        changed.notify_all();
        return result;
    }

    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping) {
                return;
            }
            const std::string path = std::move(queue.front());
            queue.pop_front();
            lock.unlock();
            const FileStamp stamp = stampOf(path);
            lock.lock();
            if (stopping) {
                return;
            }
            if (beingDecoded(path, stamp)) {
                continue;
            }
            if (lookup(path, stamp) == nullptr) {
                decodeAndStore(lock, path, stamp);
                if (stopping) {
                    return;
                }
            }
            lock.unlock();
            {
                std::lock_guard<std::mutex> calling(readyMutex);
                if (ready) {
                    ready(path);
                }
            }
            lock.lock();
        }
    }
};

PreviewCache::PreviewCache()
    : PreviewCache(kPreviewBoxWidth, kPreviewBoxHeight, decodePreview, Limits{}) {}

PreviewCache::PreviewCache(int boxWidth, int boxHeight, Decoder decoder, Limits limits)
    : state_(std::make_unique<State>(boxWidth, boxHeight, std::move(decoder), limits)) {}

PreviewCache::~PreviewCache() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->queue.clear();
    }
    state_->changed.notify_all();
    if (state_->worker.joinable()) {
        state_->worker.join();
    }
}

PreviewResult PreviewCache::get(const std::string& path) {
    if (!mine(path)) {
        return {};
    }
    const FileStamp stamp = stampOf(path);
    State& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex);
    for (;;) {
        if (const PreviewResult* cached = s.lookup(path, stamp)) {
            return *cached;
        }
        if (!s.beingDecoded(path, stamp)) {
            break;
        }
        s.changed.wait(lock);
    }
    return s.decodeAndStore(lock, path, stamp);
}

void PreviewCache::prefetch(const std::vector<std::string>& paths) {
    State& s = *state_;
    std::deque<std::string> wanted;
    for (const std::string& path : paths) {
        if (mine(path)) {
            wanted.push_back(path);
        }
    }
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.stopping) {
            return;
        }
        s.queue = std::move(wanted);
        if (!s.worker.joinable() && !s.queue.empty()) {
            try {
                s.worker = std::thread([&s] { s.run(); });
            } catch (const std::exception&) {
                s.queue.clear(); // no thread to spare: previews are decoded when shown
            }
        }
    }
    s.changed.notify_all();
}

std::optional<PreviewResult> PreviewCache::cached(const std::string& path) {
    if (!mine(path)) {
        return std::nullopt;
    }
    const FileStamp stamp = stampOf(path);
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (const PreviewResult* found = state_->lookup(path, stamp)) {
        return *found;
    }
    return std::nullopt;
}

void PreviewCache::setReadyHandler(ReadyHandler handler) {
    std::lock_guard<std::mutex> calling(state_->readyMutex);
    state_->ready = std::move(handler);
}

std::size_t PreviewCache::size() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->entries.size();
}

} // namespace vireta
