#include "media/preview_cache.h"

#include "media/image_writer.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>


using namespace vireta;
namespace fs = std::filesystem;

namespace {

// A decoder that reads no picture: its "preview" is one grey pixel whose value is the
// file's first byte, and a file starting with 'x' is damaged. It counts its calls per
// path, and can be held at its start until released.
class FakeDecoder {
public:
    PreviewCache::Decoder function() {
        return [this](const std::string& path, int, int) { return decode(path); };
    }

    int calls(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_[path];
    }
    int totalCalls() {
        std::lock_guard<std::mutex> lock(mutex_);
        int total = 0;
        for (const auto& c : calls_) {
            total += c.second;
        }
        return total;
    }
    void hold() {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // Waits until some decode has started.
    void waitForStart() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_ > 0; });
    }

private:
    Image decode(const std::string& path) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ++calls_[path];
            ++started_;
            changed_.notify_all();
            changed_.wait(lock, [this] { return !held_; });
        }
        std::ifstream in(path, std::ios::binary);
        const int first = in.get();
        if (first == 'x' || first == EOF) {
            throw ImageDecodeError("damaged");
        }
        Image image;
        image.width = 1;
        image.height = 1;
        image.channels = 3;
        image.pixels.assign(3, static_cast<std::uint8_t>(first));
        return image;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, int> calls_;
    int started_ = 0;
    bool held_ = false;
};

class PreviewCacheTest : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content) {
        const std::string path = dir_ / name;
        testfiles::writeFile(path, content);
        return path;
    }
    std::string path(const std::string& name) const { return dir_ / name; }

    testfiles::ScratchDir dir_;
    FakeDecoder decoder_;
};

std::uint8_t value(const PreviewResult& r) {
    return r.image ? r.image->pixels.at(0) : 0;
}

PreviewCache::Limits entries(std::size_t n) {
    PreviewCache::Limits limits;
    limits.entries = n;
    return limits;
}

TEST_F(PreviewCacheTest, UnchangedFileIsDecodedOnceAndChangedFileAgain) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    const std::string photo = file("photo.jpg", "a");

    const PreviewResult first = cache.get(photo);
    ASSERT_EQ(first.status, PreviewResult::Status::Picture);
    EXPECT_EQ(value(first), 'a');
    const PreviewResult again = cache.get(photo);
    EXPECT_EQ(again.image, first.image); // the same pixels, shared
    EXPECT_EQ(decoder_.calls(photo), 1);

    file("photo.jpg", "bb"); // another size
    EXPECT_EQ(value(cache.get(photo)), 'b');
    EXPECT_EQ(decoder_.calls(photo), 2);

    // Same size, only the modification time moves.
    file("photo.jpg", "cc");
    fs::last_write_time(photo, fs::last_write_time(photo) + std::chrono::seconds(5));
    EXPECT_EQ(value(cache.get(photo)), 'c');
    EXPECT_EQ(decoder_.calls(photo), 3);

    // Replaced by another file under the same name.
    const std::string other = file("other.png", "dd");
    fs::rename(other, photo);
    EXPECT_EQ(value(cache.get(photo)), 'd');
    EXPECT_EQ(decoder_.calls(photo), 4);
    EXPECT_EQ(cache.size(), 1u);
}

TEST_F(PreviewCacheTest, FailuresAreRememberedUntilTheFileChanges) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    const std::string damaged = file("damaged.png", "x");
    for (int i = 0; i < 2; ++i) {
        const PreviewResult r = cache.get(damaged);
        EXPECT_EQ(r.status, PreviewResult::Status::Failed);
        EXPECT_EQ(r.image, nullptr);
        EXPECT_EQ(r.error, "damaged");
    }
    EXPECT_EQ(decoder_.calls(damaged), 1);
    file("damaged.png", "repaired");
    EXPECT_EQ(cache.get(damaged).status, PreviewResult::Status::Picture);
    EXPECT_EQ(decoder_.calls(damaged), 2);

    // A missing file fails without a decode, and is decoded once it appears.
    const std::string later = path("later.JPEG");
    EXPECT_EQ(cache.get(later).status, PreviewResult::Status::Failed);
    EXPECT_FALSE(cache.get(later).error.empty());
    EXPECT_EQ(decoder_.calls(later), 0);
    file("later.JPEG", "l");
    EXPECT_EQ(value(cache.get(later)), 'l');
    fs::remove(later);
    EXPECT_EQ(cache.get(later).status, PreviewResult::Status::Failed);
}

TEST_F(PreviewCacheTest, OtherFormatsAreLeftToTheCaller) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    for (const char* name : {"icon.ico", "scan.bmp", "photo", "photo.jpg.txt", "clip.swf"}) {
        const std::string p = file(name, "a");
        EXPECT_EQ(cache.get(p).status, PreviewResult::Status::NotMine) << name;
        cache.prefetch({p});
    }
    EXPECT_EQ(cache.size(), 0u);
    EXPECT_EQ(decoder_.totalCalls(), 0);
}

TEST_F(PreviewCacheTest, LeastRecentlyUsedGoesFirst) {
    PreviewCache cache(196, 150, decoder_.function(), entries(3));
    const std::string a = file("a.jpg", "a");
    const std::string b = file("b.jpg", "b");
    const std::string c = file("c.jpg", "c");
    const std::string d = file("d.jpg", "d");
    cache.get(a);
    cache.get(b);
    cache.get(c);
    cache.get(a); // a is now newer than b
    cache.get(d); // b goes
    EXPECT_EQ(cache.size(), 3u);
    cache.get(a);
    cache.get(c);
    cache.get(d);
    EXPECT_EQ(decoder_.totalCalls(), 4);
    cache.get(b);
    EXPECT_EQ(decoder_.calls(b), 2);
}

TEST_F(PreviewCacheTest, ByteLimitKeepsAtLeastTheNewest) {
    PreviewCache::Limits limits;
    limits.bytes = 7; // two of the fake 3-byte previews
    PreviewCache cache(196, 150, decoder_.function(), limits);
    const std::string a = file("a.jpg", "a");
    const std::string b = file("b.jpg", "b");
    const std::string c = file("c.jpg", "c");
    cache.get(a);
    cache.get(b);
    cache.get(c);
    EXPECT_EQ(cache.size(), 2u);
    cache.get(a);
    EXPECT_EQ(decoder_.calls(a), 2);

    PreviewCache::Limits tiny;
    tiny.bytes = 1;
    PreviewCache small(196, 150, decoder_.function(), tiny);
    EXPECT_EQ(small.get(b).status, PreviewResult::Status::Picture);
    small.get(b);
    EXPECT_EQ(small.size(), 1u);
    EXPECT_EQ(decoder_.calls(b), 2); // once above, once here
}

TEST_F(PreviewCacheTest, PrefetchThenGetDecodesOnce) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    const std::string a = file("a.jpg", "a");
    const std::string b = file("b.png", "b");
    const std::string missing = path("missing.jpg");

    decoder_.hold();
    cache.prefetch({a, b, missing});
    decoder_.waitForStart(); // the background thread is inside a's decode
    std::thread viewer([&] { EXPECT_EQ(value(cache.get(a)), 'a'); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let get() reach its wait
    decoder_.release();
    viewer.join();
    EXPECT_EQ(value(cache.get(b)), 'b');
    EXPECT_EQ(cache.get(missing).status, PreviewResult::Status::Failed);
    EXPECT_EQ(decoder_.calls(a), 1);
    EXPECT_EQ(decoder_.calls(b), 1);
    EXPECT_EQ(decoder_.calls(missing), 0);
}

// What the window relies on to open a quiz without waiting: cached() never decodes,
// and every prefetched file is reported once it is in the cache, failures too.
TEST_F(PreviewCacheTest, CachedNeverDecodesAndPrefetchReportsEachFileReady) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    const std::string a = file("a.jpg", "a");
    const std::string damaged = file("d.png", "x");
    const std::string missing = path("missing.jpg");

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> ready;
    cache.setReadyHandler([&](const std::string& p) {
        // The file is in the cache when the handler runs.
        EXPECT_TRUE(cache.cached(p).has_value()) << p;
        std::lock_guard<std::mutex> lock(mutex);
        ready.push_back(p);
        changed.notify_all();
    });
    auto waitForReady = [&](std::size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return ready.size() >= n; });
    };

    EXPECT_FALSE(cache.cached(a).has_value());
    EXPECT_FALSE(cache.cached(path("b.bmp")).has_value()) << "not a JPEG or PNG name";
    EXPECT_EQ(decoder_.totalCalls(), 0);

    cache.prefetch({a, damaged, missing});
    ASSERT_TRUE(waitForReady(3));
    EXPECT_EQ(ready, (std::vector<std::string>{a, damaged, missing}));
    EXPECT_EQ(value(*cache.cached(a)), 'a');
    EXPECT_EQ(cache.cached(damaged)->status, PreviewResult::Status::Failed);
    EXPECT_EQ(cache.cached(missing)->status, PreviewResult::Status::Failed);

    // Already cached: reported again without a decode.
    cache.prefetch({a});
    ASSERT_TRUE(waitForReady(4));
    EXPECT_EQ(decoder_.calls(a), 1);

    // A changed file is no longer cached.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    file("a.jpg", "A2");
    EXPECT_FALSE(cache.cached(a).has_value());

    // After an empty handler nothing is reported.
    cache.setReadyHandler(nullptr);
    cache.prefetch({a});
    EXPECT_EQ(value(cache.get(a)), 'A');
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(ready.size(), 4u);
}

TEST_F(PreviewCacheTest, LatestPrefetchReplacesWorkNotStarted) {
    PreviewCache cache(196, 150, decoder_.function(), {});
    const std::string first = file("first.jpg", "1");
    const std::string dropped = file("dropped.jpg", "2");
    const std::string wanted = file("wanted.jpg", "3");

    decoder_.hold();
    cache.prefetch({first, dropped});
    decoder_.waitForStart(); // first is being decoded; dropped still queued
    cache.prefetch({wanted});
    decoder_.release();
    // get() waits for nothing it did not ask for: wanted is either cached by the
    // background thread or decoded here, but only once.
    EXPECT_EQ(value(cache.get(wanted)), '3');
    EXPECT_EQ(value(cache.get(first)), '1');
    EXPECT_EQ(decoder_.calls(wanted), 1);
    EXPECT_EQ(decoder_.calls(first), 1);
    // The queue was replaced before the background thread could reach `dropped`.
    EXPECT_EQ(decoder_.calls(dropped), 0);
}

TEST_F(PreviewCacheTest, DestructorReturnsWithWorkPendingAndInProgress) {
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i) {
        many.push_back(file("p" + std::to_string(i) + ".jpg", "p"));
    }
    {
        PreviewCache idle(196, 150, decoder_.function(), {}); // never started a thread
    }
    auto cache = std::make_unique<PreviewCache>(196, 150, decoder_.function(),
                                                PreviewCache::Limits{});
    decoder_.hold();
    cache->prefetch(many);
    decoder_.waitForStart();
    std::thread closer([&] { cache.reset(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it start waiting
    decoder_.release();
    closer.join();
    const int calls = decoder_.totalCalls();
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, 20);
}

// The real decoders on the background thread and two viewers at once: every viewer
// sees each file's preview, decoded once, and the failures as failures.
TEST_F(PreviewCacheTest, RealPicturesFromSeveralThreads) {
    using vireta::testing::Rgba;
    const vireta::testing::PixelSource pixel = [](int x, int y) {
        return Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 128, 255};
    };
    std::vector<std::string> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(path("photo" + std::to_string(i) + ".jpg"));
        vireta::testing::writeJpeg(files.back(), 800 + 100 * i, 600, pixel,
                                   i == 1 ? vireta::testing::JpegKind::Progressive
                                          : vireta::testing::JpegKind::Rgb);
        files.push_back(path("drawing" + std::to_string(i) + ".png"));
        vireta::testing::writePng(files.back(), 600, 400 + 100 * i, pixel);
    }
    files.push_back(file("broken.jpg", "not a picture"));

    std::atomic<int> decodes{0};
    PreviewCache cache(
        kPreviewBoxWidth, kPreviewBoxHeight,
        [&decodes](const std::string& p, int w, int h) {
            ++decodes;
            return decodePreview(p, w, h);
        },
        {});
    cache.prefetch(files);
    auto view = [&] {
        for (int round = 0; round < 3; ++round) {
            for (const std::string& f : files) {
                const PreviewResult r = cache.get(f);
                if (f == files.back()) {
                    EXPECT_EQ(r.status, PreviewResult::Status::Failed);
                } else {
                    ASSERT_EQ(r.status, PreviewResult::Status::Picture) << f << ": " << r.error;
                    EXPECT_TRUE(r.image->width >= 196 || r.image->height >= 150) << f;
                }
            }
        }
    };
    std::thread other(view);
    view();
    other.join();
    EXPECT_EQ(decodes.load(), static_cast<int>(files.size()));
}

} // namespace
