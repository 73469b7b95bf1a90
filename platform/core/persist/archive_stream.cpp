#include "core/persist/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

// ---- memory ----

xcMemoryArchive::xcMemoryArchive() : xcArchive(false) {
}

xcMemoryArchive::xcMemoryArchive(std::vector<unsigned char> bytes)
    : xcArchive(true), bytes_(std::move(bytes)) {
}

xcMemoryArchive::xcMemoryArchive(const void* data, std::size_t size) : xcArchive(true) {
    if (size > 0) {
        if (!data)
            throw IOError("Null data for a memory archive of " + std::to_string(size) + " bytes");
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.assign(p, p + size);
    }
}

xcMemoryArchive::~xcMemoryArchive() = default;

std::size_t xcMemoryArchive::readSome_(void* dst, std::size_t n) {
    const std::size_t k = std::min(n, bytes_.size() - next_);
    if (k > 0) std::memcpy(dst, bytes_.data() + next_, k);
    next_ += k;
    return k;
}

void xcMemoryArchive::writeAll_(const void* src, std::size_t n) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + n);
    std::memcpy(bytes_.data() + at, src, n);
}

std::optional<std::size_t> xcMemoryArchive::available_() const {
    return bytes_.size() - next_;
}

// ---- file ----

namespace {

std::FILE* asFile(void* f) {
    return static_cast<std::FILE*>(f);
}

std::string reason() {
    return std::strerror(errno);
}

} // namespace

xcFileArchive::xcFileArchive(const std::string& path, Mode mode)
    : xcArchive(mode == eLoading), path_(path) {
    if (mode != eLoading && mode != eStoring)
        throw IOError("Bad mode " + std::to_string(int(mode)) + " for archive file " + path);
    const bool loading = mode == eLoading;
    // Opened without blocking: opening a FIFO would otherwise wait for a writer (or a reader)
    // that may never come. Regular files ignore the flag; it is cleared before any I/O.
    const int flags = (loading ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        throw IOError("Cannot open archive file " + path + " for " +
                      (loading ? "reading: " : "writing: ") + reason());
    if (loading) {
        // Every archived count is checked against the bytes left, so the size must be known.
        struct stat st {};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            throw IOError("Archive file " + path + " is not a regular file");
        }
        size_ = static_cast<std::size_t>(st.st_size);
    }
    const int status = fcntl(fd, F_GETFL);
    std::FILE* f = status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0
                       ? nullptr
                       : fdopen(fd, loading ? "rb" : "wb");
    if (!f) {
        const std::string why = reason();
        ::close(fd);
        throw IOError("Cannot open archive file " + path + " for " +
                      (loading ? "reading: " : "writing: ") + why);
    }
    file_ = f;
}

xcFileArchive::~xcFileArchive() {
    if (file_) std::fclose(asFile(file_));
}

void xcFileArchive::close() {
    if (!file_) return;
    std::FILE* f = asFile(file_);
    file_ = nullptr;
    if (std::fclose(f) != 0) throw IOError("Cannot close archive file " + path_ + ": " + reason());
}

std::size_t xcFileArchive::readSome_(void* dst, std::size_t n) {
    if (!file_) throw IOError("Archive file " + path_ + " is closed");
    const std::size_t got = std::fread(dst, 1, n, asFile(file_));
    if (got < n && std::ferror(asFile(file_)))
        throw IOError("Cannot read archive file " + path_ + ": " + reason());
    return got;
}

void xcFileArchive::writeAll_(const void* src, std::size_t n) {
    if (!file_) throw IOError("Archive file " + path_ + " is closed");
    if (std::fwrite(src, 1, n, asFile(file_)) != n)
        throw IOError("Cannot write archive file " + path_ + ": " + reason());
}

std::optional<std::size_t> xcFileArchive::available_() const {
    const std::size_t at = position();
    return at < size_ ? size_ - at : 0;
}
