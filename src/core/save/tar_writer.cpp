#include "save/tar_writer.h"

#include "io/file_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace vireta {
namespace {

// The archive is written in pieces of this size; larger pieces mean fewer system
// calls (GNU tar writes 10 KiB records).
constexpr std::size_t kBufferSize = 256 * 1024;

constexpr std::size_t kNameLength = 100;
constexpr char kExtendedHeaderName[] = "././@PaxHeader";

bool fitsOctal(std::uint64_t value, int digits) {
    return digits >= 21 || (value >> (3 * digits)) == 0;
}

// GNU base-256 form: a first byte of 0x80, then the value big-endian in the rest.
void putBase256(unsigned char* field, int width, std::uint64_t value) {
    for (int i = width - 1; i >= 1; --i) {
        field[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
    field[0] = 0x80;
}

// width - 1 octal digits with leading zeros blanked (the last digit always
// stays), then a space.
void putSpaceEndedOctal(unsigned char* field, int width, std::uint64_t value) {
    const int digits = width - 1;
    if (!fitsOctal(value, digits)) {
        putBase256(field, width, value);
        return;
    }
    for (int i = digits - 1; i >= 0; --i) {
        field[i] = static_cast<unsigned char>('0' + (value & 7));
        value >>= 3;
    }
    for (int i = 0; i < digits - 1 && field[i] == '0'; ++i)
        field[i] = ' ';
    field[width - 1] = ' ';
}

// A space-ended field of width - 1, then a NUL.
void putNulEndedOctal(unsigned char* field, int width, std::uint64_t value) {
    if (!fitsOctal(value, width - 2)) {
        putBase256(field, width, value);
        return;
    }
    putSpaceEndedOctal(field, width - 1, value);
    field[width - 1] = 0;
}

// At most `length` bytes of the text; the rest of the field stays zero.
void putText(unsigned char* field, std::size_t length, const std::string& text) {
    std::memcpy(field, text.data(), std::min(length, text.size()));
}

std::uint64_t unsignedId(std::int32_t id) { return static_cast<std::uint32_t>(id); }

// "LEN path=NAME\n", LEN counting the whole record including its own digits.
std::string paxPathRecord(const std::string& name) {
    const std::size_t base = std::strlen(" path=\n") + name.size();
    std::size_t digits = std::to_string(base).size();
    if (std::to_string(base + digits).size() > digits)
        ++digits;
    return std::to_string(base + digits) + " path=" + name + "\n";
}

} // namespace

char tarTypeFlag(TTarFileType type) {
    static constexpr char flags[] = {'0', '1', '2', '3', '4', '5', '6', '7', 'D', 'M', 'V', 'x'};
    return flags[static_cast<int>(type)];
}

const char* tarTypeName(TTarFileType type) {
    static constexpr const char* names[] = {
        "Regular",   "Link",       "Symbolic Link", "Char File", "Block File",    "Directory",
        "FIFO File", "Contiguous", "Dir Dump",      "Multivol",  "Volume Header", "Extended Header"};
    return names[static_cast<int>(type)];
}

TarBlock tarHeader(const TTarDirRec& rec) {
    TarBlock h{};
    putText(&h[0], kNameLength, rec.name);
    putNulEndedOctal(&h[100], 8, rec.permissions | rec.mode);
    putNulEndedOctal(&h[108], 8, unsignedId(rec.userId));
    putNulEndedOctal(&h[116], 8, unsignedId(rec.groupId));
    putSpaceEndedOctal(&h[124], 12, static_cast<std::uint64_t>(std::max<std::int64_t>(rec.size, 0)));
    putSpaceEndedOctal(&h[136], 12,
                       static_cast<std::uint64_t>(std::max<std::int64_t>(rec.modificationTime, 0)));
    h[156] = static_cast<unsigned char>(tarTypeFlag(rec.fileType));
    putText(&h[157], kNameLength, rec.linkName);
    putText(&h[257], 8, rec.magic + "        ");
    putText(&h[265], 32, rec.userName);
    putText(&h[297], 32, rec.groupName);
    putNulEndedOctal(&h[329], 8, unsignedId(rec.majorDevice));
    putNulEndedOctal(&h[337], 8, unsignedId(rec.minorDevice));

    std::memset(&h[148], ' ', 8);
    unsigned sum = 0;
    for (unsigned char b : h)
        sum += b;
    putNulEndedOctal(&h[148], 8, sum);
    return h;
}

TTarWriter::TTarWriter(io::ByteSink& sink, std::string name)
    : sink_(sink), name_(std::move(name)), buffer_(new unsigned char[kBufferSize]) {}

TTarWriter::~TTarWriter() {
    if (!finished_ && !failed_) {
        try {
            Finish();
        } catch (...) {
            // The sink's owner learns of it from the sink; nothing to report here.
        }
    }
}

void TTarWriter::checkUsable() const {
    if (failed_)
        throw TarWriteError("The archive " + name_ + " could not be written", name_);
    if (finished_)
        throw TarWriteError("The archive " + name_ + " is already finished", name_);
}

void TTarWriter::Abandon() noexcept {
    if (!finished_)
        failed_ = true;
}

void TTarWriter::fail(const std::string& what, int err) {
    failed_ = true;
    throw TarWriteError(what + " " + name_ + ": " + io::errorText(err), name_, err);
}

void TTarWriter::flush() {
    if (used_ == 0)
        return;
    if (!sink_.put(buffer_.get(), used_))
        fail("Cannot write the archive", errno);
    used_ = 0;
}

void TTarWriter::append(const void* data, std::size_t size) {
    auto p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (used_ == kBufferSize)
            flush();
        const std::size_t n = std::min(size, kBufferSize - used_);
        std::memcpy(buffer_.get() + used_, p, n);
        used_ += n;
        p += n;
        size -= n;
    }
}

void TTarWriter::appendZeros(std::size_t size) {
    while (size > 0) {
        if (used_ == kBufferSize)
            flush();
        const std::size_t n = std::min(size, kBufferSize - used_);
        std::memset(buffer_.get() + used_, 0, n);
        used_ += n;
        size -= n;
    }
}

void TTarWriter::AppendFile(const std::string& sourcePath, const std::string& archiveName) {
    checkUsable();
    io::UniqueFd source = io::openRegularForReading(sourcePath);
    struct stat st {};
    if (!source.valid() || ::fstat(source.get(), &st) != 0) {
        const int err = errno;
        throw TarSourceError("Cannot open " + sourcePath + ": " + io::errorText(err), sourcePath, err);
    }

    TTarDirRec rec;
    rec.name = archiveName.empty() ? sourcePath : archiveName;
    std::replace(rec.name.begin(), rec.name.end(), '\\', '/');
    rec.size = st.st_size;
    rec.modificationTime = st.st_mtim.tv_sec > 0 ? st.st_mtim.tv_sec : 0;
    rec.permissions = permissions_;
    rec.fileType = TTarFileType::ftNormal;
    rec.userId = userId_;
    rec.groupId = groupId_;
    rec.userName = userName_;
    rec.groupName = groupName_;
    rec.checksumCorrect = true;
    rec.mode = mode_;
    rec.magic = magic_;

    if (rec.name.size() > kNameLength) {
        const std::string record = paxPathRecord(rec.name);
        TTarDirRec pax = rec;
        pax.name = kExtendedHeaderName;
        pax.size = static_cast<std::int64_t>(record.size());
        pax.fileType = TTarFileType::ftExtendedHeader;
        append(tarHeader(pax).data(), kTarBlockSize);
        append(record.data(), record.size());
        appendZeros((kTarBlockSize - record.size() % kTarBlockSize) % kTarBlockSize);
    }
    append(tarHeader(rec).data(), kTarBlockSize);
    writeEntry(rec, source.get(), sourcePath);
}

void TTarWriter::writeEntry(const TTarDirRec& rec, int sourceFd, const std::string& sourcePath) {
    // The data is read straight into the archive buffer. Once the source ends
    // early or fails, the rest of the entry is zeros, so the archive stays whole.
    auto remaining = static_cast<std::uint64_t>(rec.size);
    int readError = 0;
    bool ended = false;
    while (remaining > 0) {
        if (used_ == kBufferSize)
            flush();
        const std::size_t room = static_cast<std::size_t>(
            std::min<std::uint64_t>(remaining, kBufferSize - used_));
        if (ended || readError != 0) {
            std::memset(buffer_.get() + used_, 0, room);
            used_ += room;
            remaining -= room;
            continue;
        }
        const ssize_t n = ::read(sourceFd, buffer_.get() + used_, room);
        if (n < 0) {
            if (errno != EINTR)
                readError = errno;
        } else if (n == 0) {
            ended = true;
        } else {
            used_ += static_cast<std::size_t>(n);
            remaining -= static_cast<std::uint64_t>(n);
        }
    }
    appendZeros((kTarBlockSize - static_cast<std::uint64_t>(rec.size) % kTarBlockSize) % kTarBlockSize);
    if (readError != 0)
        throw TarSourceError("Cannot read " + sourcePath + ": " + io::errorText(readError),
                             sourcePath, readError);
}

void TTarWriter::Finish() {
    if (finished_)
        return;
    checkUsable();
    appendZeros(2 * kTarBlockSize);
    flush();
    finished_ = true;
}

} // namespace vireta
