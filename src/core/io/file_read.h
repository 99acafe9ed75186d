// Reading files: the one reader of a regular file, whole or its start, for every room
// that reads from disk (the quiz file's reader, the imports, the pictures, the media a
// page embeds). Failures come back as false (or -1) with errno set; the callers turn
// that into their own exceptions.
#pragma once

#include "io/unique_fd.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <string>

namespace vireta::io {

// Opens an existing regular file for reading. A folder, a device or a pipe is
// refused with EISDIR or EINVAL, without blocking on a pipe.
UniqueFd openRegularForReading(const std::string& path);

// read() until `size` bytes are in or the file ends; returns the count read or -1.
long long readFull(int fd, void* data, std::size_t size);

// Where a read puts a file's bytes: room(size) returns memory for `size` bytes. It is
// asked again for more only once the memory it gave is full, and then keeps the bytes
// read so far (as a string's resize does). The reader asks for the file's size and
// one byte more, so that a file of known size takes one call and one read; a file
// whose size is not told (as those of /proc) or that grows meanwhile is read on into
// a room twice as large each time.
using ReadRoom = std::function<char*(std::size_t size)>;

inline constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

// The whole of the regular file at `path` (openRegularForReading's rules) into `room`.
// Returns the count of bytes read, or -1 with errno set: the open's errors, a read
// error, or EFBIG for a file of more than `largest` bytes (told by its size before
// anything is read, or by what is read when the size is not told or grows).
long long readWholeFileInto(const std::string& path, std::size_t largest, const ReadRoom& room);

// The first `limit` bytes of the file (all of it when it is shorter) into `room`.
long long readFileStartInto(const std::string& path, std::size_t limit, const ReadRoom& room);

// The same into a string, which holds exactly the bytes read (nothing on failure).
bool readWholeFile(const std::string& path, std::string& bytes, std::size_t largest = kNoLimit);
bool readFileStart(const std::string& path, std::size_t limit, std::string& bytes);

// The text of an errno value.
std::string errorText(int err);

} // namespace vireta::io
