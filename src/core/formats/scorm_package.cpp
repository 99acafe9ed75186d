// The SCORM 1.2 package of the web game, built in memory with libzip.
#include "formats/web_game.h"

#include "formats/writer_support.h"
#include "text.h"

#include <zip.h>

#include <cerrno>
#include <list>
#include <stdexcept>
#include <utility>

namespace vireta {
namespace {

constexpr const char* kPageName = "index.html";
constexpr const char* kManifestName = "imsmanifest.xml";

// Pictures and sounds are compressed already: they are stored as they are.
bool storedAsIs(const std::string& name) {
    const std::string l = [&] {
        std::string s = name;
        for (char& c : s)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return s;
    }();
    for (const char* ext : {".mp3", ".ogg", ".oga", ".opus", ".m4a", ".png", ".jpg", ".jpeg",
                            ".gif", ".webp"}) {
        const std::string e = ext;
        if (l.size() >= e.size() && l.compare(l.size() - e.size(), e.size(), e) == 0)
            return true;
    }
    return false;
}

// A zip archive written into memory. Entry data must stay alive until finish().
class MemoryZip {
public:
    MemoryZip() {
        zip_error_t error;
        zip_error_init(&error);
        source_ = zip_source_buffer_create(nullptr, 0, 0, &error);
        if (source_)
            archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error);
        zip_error_fini(&error);
        if (!archive_) {
            if (source_)
                zip_source_free(source_);
            throw std::runtime_error("cannot create the zip archive in memory");
        }
        zip_source_keep(source_); // kept past zip_close, to read the bytes back
    }
    ~MemoryZip() {
        if (archive_)
            zip_discard(archive_);
        zip_source_free(source_);
    }
    MemoryZip(const MemoryZip&) = delete;
    MemoryZip& operator=(const MemoryZip&) = delete;

    void add(const std::string& name, std::string data) {
        const std::string& kept = data_.emplace_back(std::move(data));
        zip_source_t* s = zip_source_buffer(archive_, kept.data(), kept.size(), 0);
        if (!s)
            fail();
        const zip_int64_t index = zip_file_add(archive_, name.c_str(), s, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(s);
            fail();
        }
        if (storedAsIs(name))
            zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }

    std::string finish() {
        if (zip_close(archive_) != 0)
            fail();
        archive_ = nullptr;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_source_stat(source_, &st) != 0 || zip_source_open(source_) != 0)
            throw std::runtime_error("cannot read the zip archive back");
        std::string bytes(static_cast<std::size_t>(st.size), '\0');
        const zip_int64_t n = zip_source_read(source_, bytes.data(), bytes.size());
        zip_source_close(source_);
        if (n < 0 || static_cast<std::size_t>(n) != bytes.size())
            throw std::runtime_error("cannot read the zip archive back");
        return bytes;
    }

private:
    [[noreturn]] void fail() {
        throw std::runtime_error(std::string("zip: ") + zip_strerror(archive_));
    }

    zip_source_t* source_ = nullptr;
    zip_t* archive_ = nullptr;
    std::list<std::string> data_; // stable addresses
};

} // namespace

SaveRequest writeScormPackage(const GeneralData& general, const QuestionTable& questions, int count,
                        const ExportSettings& settings, ShuffleGenerator& generator, OutputBuffer& out) {
    webgame::Page page = webgame::buildPage(general, questions, count, settings, generator, true);
    SaveRequest request{kZipFilter, "zip"};
    request.carriesMedia = true;
    request.packable = false;
    request.unreadMedia = std::move(page.unreadMedia);

    // Media under their bare names; a name taken already (by the page, the manifest
    // or another file of the same name from another folder) is left out.
    std::vector<std::string> entries{kPageName};
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& path : page.media) {
        const std::string name = bareFileName(path);
        // "." and ".." would name folders when the zip is unpacked (a regular file can
        // have neither name, but the guard keeps every entry inside the package).
        bool taken = name == kManifestName || name == "." || name == "..";
        for (const auto& e : entries)
            taken = taken || e == name;
        std::optional<std::string> bytes;
        int error = EEXIST;
        if (!taken)
            bytes = webgame::readMediaFile(path, error);
        if (!bytes) {
            request.unreadMedia.push_back({path, error});
            continue;
        }
        entries.push_back(name);
        files.emplace_back(name, std::move(*bytes));
    }

    MemoryZip zip;
    zip.add(kManifestName,
            webgame::scormManifest(webgame::manifestTitle(general), general.passMark, entries));
    zip.add(kPageName, std::move(page.html));
    for (auto& [name, bytes] : files)
        zip.add(name, std::move(bytes));
    out.setText(zip.finish());
    return request;
}

} // namespace vireta
