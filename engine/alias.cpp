// The alias file: where it is, how it reads and how it is rewritten.
#include "engine/alias.h"
#include "engine/ascii.h"

#include "engine/error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravelda::engine {

namespace fs = std::filesystem;

namespace {

std::string_view trim(std::string_view s) {
    const char* space = " \t\r\n\f\v";
    auto b = s.find_first_not_of(space);
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(space);
    return s.substr(b, e - b + 1);
}

[[noreturn]] void ioError(const fs::path& file, const std::string& what) {
    throw Error(Error::Kind::Io, file, what + ": " + std::strerror(errno));
}

void writeAll(int fd, const std::string& data, const fs::path& file) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ioError(file, "cannot write");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

void makeFolder(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        throw Error(Error::Kind::Io, dir, std::string("cannot create the folder: ") + ec.message());
}

void syncFolder(const fs::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Follows a chain of symbolic links to the path they finally name, which need not exist yet.
fs::path resolveLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec)) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) throw Error(Error::Kind::Io, path, "cannot read the link: " + ec.message());
        path = next.is_absolute() ? next : folderOf(path) / next;
    }
    throw Error(Error::Kind::Io, path, "too many levels of symbolic links");
}

// The status of the file at path (links followed), none when nothing is there. Anything but a
// regular file is refused: reading a FIFO would hang, and replacing a device is never wanted.
std::optional<struct stat> regularFileStatus(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        ioError(path, "cannot examine the alias file");
    }
    if (S_ISDIR(st.st_mode)) throw Error(Error::Kind::Io, path, "alias file is a folder");
    if (!S_ISREG(st.st_mode))
        throw Error(Error::Kind::Io, path, "alias file is not a regular file");
    return st;
}

// Gives a replacement file the owner and mode of the file it replaces (a new file gets 0644).
void copyOwnerAndMode(int fd, const std::optional<struct stat>& old, const fs::path& file) {
    // Only root may give a file away; anyone else's rewrite leaves the file theirs, as an
    // editor's would.
    if (old && ::fchown(fd, old->st_uid, old->st_gid) != 0 && ::geteuid() == 0)
        ioError(file, "cannot keep the owner");
    // After fchown, which may clear set-id bits.
    if (::fchmod(fd, old ? old->st_mode & 07777 : 0644) != 0) ioError(file, "cannot set the mode");
}

// Writes a file beside target and renames it over target, so a reader never sees half a file.
void replaceFile(const fs::path& target, const std::string& data,
                 const std::optional<struct stat>& old) {
    std::string tmpl = (folderOf(target) / ".aliases.XXXXXX").string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) ioError(target, "cannot create a temporary file beside the alias file");
    const fs::path tmp(tmpl);
    try {
        writeAll(fd, data, tmp);
        copyOwnerAndMode(fd, old, tmp);
        if (::fsync(fd) != 0) ioError(tmp, "cannot sync");
        const int closing = fd;
        fd = -1;
        if (::close(closing) != 0) ioError(tmp, "cannot close");
        if (::rename(tmp.c_str(), target.c_str()) != 0)
            ioError(target, "cannot replace the alias file");
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
}

// An exclusive lock on "<file>.lock", held while an edit reads and rewrites file. The lock file
// stays: file itself cannot carry the lock, since every save puts a new file in its place.
class EditLock {
public:
    explicit EditLock(const fs::path& file) {
        const fs::path lock = file.string() + ".lock";
        makeFolder(folderOf(lock));
        fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd_ < 0) ioError(lock, "cannot open the lock file of the alias file");
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd_);
            errno = err;
            ioError(lock, "cannot lock the alias file");
        }
    }
    ~EditLock() { ::close(fd_); } // releases the lock
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

std::vector<fs::path> aliasFileCandidates() {
    if (const char* env = std::getenv("RAVELDA_ALIAS_FILE"); env && *env) return {fs::path(env)};
    std::vector<fs::path> out;
    if (const char* home = std::getenv("HOME"); home && *home)
        out.push_back(fs::path(home) / ".config" / "ravelda" / "aliases.conf");
    out.push_back("/etc/ravelda/aliases.conf");
    return out;
}

fs::path aliasWriteFile() {
    return aliasFileCandidates().front();
}

bool isValidAliasName(std::string_view name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

AliasFile AliasFile::load() {
    auto candidates = aliasFileCandidates();
    for (const auto& c : candidates) {
        std::error_code ec;
        if (fs::exists(c, ec)) return loadFile(c);
    }
    AliasFile none;
    none.file_ = candidates.front();
    return none;
}

AliasFile AliasFile::loadFile(const fs::path& file) {
    AliasFile out;
    out.file_ = file;
    if (!regularFileStatus(resolveLinks(file))) return out;
    std::ifstream in(file, std::ios::binary);
    if (!in) ioError(file, "cannot read the alias file");
    out.exists_ = true;
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string_view t = trim(raw);
        if (t.empty() || t.front() == '#') {
            out.lines_.push_back({raw, {}, {}});
            continue;
        }
        auto eq = t.find('=');
        std::string where = std::string("line ") + std::to_string(lineNo) + ": ";
        if (eq == std::string_view::npos)
            throw Error(Error::Kind::Corrupt, file,
                        where + "expected NAME=FOLDER, found '" + std::string(t) + "'");
        auto name = trim(t.substr(0, eq));
        auto folder = trim(t.substr(eq + 1));
        if (!isValidAliasName(name))
            throw Error(Error::Kind::Corrupt, file,
                        where + "invalid alias name '" + std::string(name) + "'");
        if (folder.empty())
            throw Error(Error::Kind::Corrupt, file,
                        where + "alias '" + std::string(name) + "' names no folder");
        out.lines_.push_back({raw, std::string(name), std::string(folder)});
    }
    if (in.bad()) ioError(file, "cannot read the alias file");
    return out;
}

int AliasFile::find(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (!lines_[i].name.empty() && equalsIgnoringAsciiCase(lines_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::vector<Alias> AliasFile::aliases() const {
    std::vector<Alias> out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& l = lines_[i];
        // Later duplicates of a name are shadowed by the first definition.
        if (!l.name.empty() && find(l.name) == static_cast<int>(i))
            out.push_back({l.name, fs::path(l.folder)});
    }
    return out;
}

std::optional<fs::path> AliasFile::folder(std::string_view name) const {
    int i = find(name);
    if (i < 0) return std::nullopt;
    fs::path p(lines_[static_cast<std::size_t>(i)].folder);
    if (p.is_relative()) p = file_.parent_path() / p;
    return p.lexically_normal();
}

bool AliasFile::set(std::string_view name, const fs::path& folder) {
    if (!isValidAliasName(name))
        throw Error(Error::Kind::InvalidArgument, {},
                    "invalid alias name '" + std::string(name) +
                        "' (letters, digits, '_', '-' and '.', at most 64)");
    std::string f = std::string(trim(folder.string()));
    if (f.empty())
        throw Error(Error::Kind::InvalidArgument, {},
                    "alias '" + std::string(name) + "' needs a folder");
    if (f.find('\n') != std::string::npos || f.find('\r') != std::string::npos)
        throw Error(Error::Kind::InvalidArgument, {}, "a folder name cannot hold a line break");
    Line line{std::string(name) + "=" + f, std::string(name), f};
    int i = find(name);
    if (i >= 0) {
        lines_[static_cast<std::size_t>(i)] = std::move(line);
        return true;
    }
    lines_.push_back(std::move(line));
    return false;
}

bool AliasFile::remove(std::string_view name) {
    bool any = false;
    for (int i = find(name); i >= 0; i = find(name)) {
        lines_.erase(lines_.begin() + i);
        any = true;
    }
    return any;
}

bool AliasFile::update(const std::function<bool(AliasFile&)>& change) {
    const fs::path target = aliasWriteFile();
    EditLock lock(resolveLinks(target));
    // Read only now, inside the lock, so that the edit starts from the latest save.
    AliasFile file = load();
    if (!change(file)) return false;
    file.save(target);
    return true;
}

std::string AliasFile::text() const {
    std::string data;
    for (const auto& l : lines_) {
        data += l.text;
        data += '\n';
    }
    return data;
}

void AliasFile::save(const fs::path& target) const {
    // Through links to the file they name, so the link stays and its target is what changes.
    const fs::path real = resolveLinks(target);
    const std::optional<struct stat> old = regularFileStatus(real);
    const fs::path dir = folderOf(real);
    makeFolder(dir);
    replaceFile(real, text(), old);
    syncFolder(dir);
}

} // namespace ravelda::engine
