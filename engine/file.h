#pragma once
// A file descriptor with positioned reads and writes, syncs and open-file-description locks.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace ravelda::engine {

class File {
public:
    File() = default;
    // Error NotFound / ReadOnly / Io naming the path.
    static File open(const std::filesystem::path& path, bool writable);
    static File create(const std::filesystem::path& path, bool truncate);
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool writable() const { return writable_; }
    const std::filesystem::path& path() const { return path_; }
    int fd() const { return fd_; }

    // Reads up to len bytes at offset; returns how many were there (short at end of file).
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t len) const;
    void readExact(std::uint64_t offset, void* buffer, std::size_t len) const;
    void writeAt(std::uint64_t offset, const void* data, std::size_t len);
    std::uint64_t size() const;
    void truncate(std::uint64_t size);
    void sync();
    // Change stamp: size, modification time and identity, to notice writes by others.
    struct Stamp {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t seconds = 0, nanoseconds = 0; // modification time
        bool operator==(const Stamp&) const = default;
    };
    Stamp statStamp() const;
    std::string stamp() const;

    // Open-file-description byte locks (shared between processes and between descriptors of
    // one process). try* returns false when another holder conflicts.
    bool tryLock(std::uint64_t offset, bool exclusive);
    void unlock(std::uint64_t offset);

private:
    int fd_ = -1;
    bool writable_ = false;
    std::filesystem::path path_;
};

// Syncs a folder so that a file created or removed in it stays so after a crash.
void syncDirectory(const std::filesystem::path& dir);

} // namespace ravelda::engine
