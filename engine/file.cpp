#include "engine/file.h"

#include "engine/durability.h"
#include "engine/error.h"

#include <atomic>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravelda::engine {

namespace {

[[noreturn]] void fail(const std::filesystem::path& path, const std::string& what, int err) {
    Error::Kind kind = Error::Kind::Io;
    if (err == ENOENT || err == ENOTDIR)
        kind = Error::Kind::NotFound;
    else if (err == EACCES || err == EPERM || err == EROFS)
        kind = Error::Kind::ReadOnly;
    throw Error(kind, path, what + ": " + std::strerror(err));
}

std::atomic<bool> gSync{true};
thread_local int tUnsynced = 0;

bool syncing() {
    return gSync && tUnsynced == 0;
}
std::atomic<WriteStageHook> gHook{nullptr};

} // namespace

void setSyncToDisk(bool on) {
    gSync = on;
}
bool syncToDisk() {
    return gSync;
}
UnsyncedWrites::UnsyncedWrites() {
    ++tUnsynced;
}
UnsyncedWrites::~UnsyncedWrites() {
    --tUnsynced;
}
void setWriteStageHook(WriteStageHook hook) {
    gHook = hook;
}
WriteStageHook writeStageHook() {
    return gHook;
}

File File::open(const std::filesystem::path& path, bool writable) {
    File f;
    f.fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (f.fd_ < 0) fail(path, "cannot open", errno);
    struct stat st {};
    if (::fstat(f.fd_, &st) == 0 && !S_ISREG(st.st_mode))
        throw Error(Error::Kind::InvalidArgument, path, "not a regular file");
    f.writable_ = writable;
    f.path_ = path;
    return f;
}

File File::create(const std::filesystem::path& path, bool truncate) {
    File f;
    f.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0), 0666);
    if (f.fd_ < 0) fail(path, "cannot create", errno);
    f.writable_ = true;
    f.path_ = path;
    return f;
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept
    : fd_(other.fd_), writable_(other.writable_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        writable_ = other.writable_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

std::size_t File::readAt(std::uint64_t offset, void* buffer, std::size_t len) const {
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < len) {
        const ssize_t n = ::pread(fd_, out + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path_, "read failed", errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void File::readExact(std::uint64_t offset, void* buffer, std::size_t len) const {
    if (readAt(offset, buffer, len) != len)
        throw Error(Error::Kind::Corrupt, path_,
                    "file ends before offset " + std::to_string(offset + len));
}

void File::writeAt(std::uint64_t offset, const void* data, std::size_t len) {
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(data);
    while (done < len) {
        const ssize_t n = ::pwrite(fd_, in + done, len - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(path_, "write failed", errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

std::uint64_t File::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(path_, "cannot stat", errno);
    return static_cast<std::uint64_t>(st.st_size);
}

void File::truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail(path_, "cannot truncate", errno);
}

void File::sync() {
    if (!syncing()) return;
    if (::fdatasync(fd_) != 0) fail(path_, "cannot sync to disk", errno);
}

File::Stamp File::statStamp() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) fail(path_, "cannot stat", errno);
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

std::string File::stamp() const {
    const Stamp s = statStamp();
    return std::to_string(s.size) + ":" + std::to_string(s.seconds) + "." +
           std::to_string(s.nanoseconds) + ":" + std::to_string(s.inode);
}

bool File::tryLock(std::uint64_t offset, bool exclusive) {
    struct flock fl {};
    fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        fail(path_, "cannot lock", errno);
    }
    return true;
}

void File::unlock(std::uint64_t offset) {
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    ::fcntl(fd_, F_OFD_SETLK, &fl);
}

void syncDirectory(const std::filesystem::path& dir) {
    if (!syncing()) return;
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace ravelda::engine
