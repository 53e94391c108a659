#include "io/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace rghost {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void failWriting(const std::string& path, const std::string& reason)
{
    throw std::runtime_error("cannot write " + path + ": " + reason);
}

// Where writing `path` lands: the end of its chain of symlinks.
fs::path followSymlinks(fs::path path)
{
    std::error_code ignored;
    // As many hops as the kernel follows; a longer chain fails when opened.
    for (int hop = 0; hop < 40 && fs::is_symlink(path, ignored); ++hop) {
        const fs::path link = fs::read_symlink(path, ignored);
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

fs::path directoryOf(const fs::path& target)
{
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Temporary files of `target` are named ".NAME.tmp-HOST-PID-N": the machine
// and process that write them, and a count within the process.
std::string temporaryPrefix(const fs::path& target)
{
    return "." + target.filename().string() + ".tmp-";
}

const std::string& hostName()
{
    static const std::string name = [] {
        char text[256] = {};
        return ::gethostname(text, sizeof text - 1) == 0 ? std::string(text) : std::string("unknown");
    }();
    return name;
}

// Whether the temporary file `name` of a target with `prefix` was left by a
// process of this machine that is gone.
bool isLeftover(std::string_view name, std::string_view prefix)
{
    if (name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    name.remove_prefix(prefix.size());
    const std::size_t countStart = name.rfind('-');
    const std::size_t pidStart = countStart == std::string_view::npos ? countStart : name.rfind('-', countStart - 1);
    if (pidStart == std::string_view::npos || name.substr(0, pidStart) != hostName()) {
        return false;
    }
    long pid = 0;
    const char* const pidEnd = name.data() + countStart;
    const std::from_chars_result read = std::from_chars(name.data() + pidStart + 1, pidEnd, pid);
    if (read.ec != std::errc() || read.ptr != pidEnd || pid <= 0 || static_cast<pid_t>(pid) != pid) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void removeLeftovers(const fs::path& target)
{
    const std::string directory = directoryOf(target).string();
    const std::string prefix = temporaryPrefix(target);
    DIR* const listing = ::opendir(directory.c_str());
    if (listing == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (isLeftover(entry->d_name, prefix)) {
            ::unlinkat(::dirfd(listing), entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

// A new file next to `target`, opened exclusively so that two writers never share one.
int createTemporarySibling(const fs::path& target, std::string& temporaryPath)
{
    static std::atomic<unsigned> counter{0};
    const fs::path directory = directoryOf(target);
    for (;;) {
        temporaryPath = (directory / (temporaryPrefix(target) + hostName() + "-" + std::to_string(::getpid()) + "-" +
                                      std::to_string(counter++)))
                            .string();
        // 0666 lets the umask decide, as for any file the user creates.
        const int descriptor = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
}

} // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path))
{
    if (path_ == "-") {
        descriptor_ = ::dup(STDOUT_FILENO);
        if (descriptor_ < 0) {
            failWriting("standard output", std::strerror(errno));
        }
        return;
    }
    const fs::path target = followSymlinks(path_);
    target_ = target.string();
    std::error_code ignored;
    const fs::file_status status = fs::status(target, ignored);
    if (fs::is_directory(status)) {
        failWriting(path_, "it is a directory");
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        descriptor_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (descriptor_ < 0) {
            failWriting(path_, std::strerror(errno));
        }
        return;
    }
    const fs::path directory = target.parent_path();
    if (!directory.empty() && !fs::is_directory(directory, ignored)) {
        failWriting(path_, "directory " + directory.string() +
                               (fs::exists(directory, ignored) ? " is not a directory" : " does not exist"));
    }
    removeLeftovers(target);
    descriptor_ = createTemporarySibling(target, temporary_);
    if (descriptor_ < 0) {
        failWriting(path_, std::strerror(errno));
    }
}

AtomicFile::~AtomicFile()
{
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

AtomicFile::AtomicFile(AtomicFile&& other) noexcept
    : path_(std::move(other.path_)), target_(std::move(other.target_)), temporary_(std::exchange(other.temporary_, {})),
      descriptor_(std::exchange(other.descriptor_, -1))
{
}

void AtomicFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWriting(path_, std::strerror(errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void AtomicFile::close()
{
    if (descriptor_ >= 0 && ::close(std::exchange(descriptor_, -1)) != 0) {
        failWriting(path_, std::strerror(errno));
    }
}

void AtomicFile::commit()
{
    close();
    if (!temporary_.empty()) {
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            failWriting(path_, std::strerror(errno));
        }
        temporary_.clear();
    }
}

void writeFileAtomically(const std::string& path, std::string_view contents)
{
    AtomicFile file(path);
    file.write(contents);
    file.commit();
}

bool writingReplaces(const std::string& output, const std::string& file)
{
    std::error_code ignored;
    const fs::file_status status = fs::status(output, ignored);
    const bool replaced = fs::is_regular_file(status) || !fs::exists(status);
    return replaced && (output == file || fs::equivalent(output, file, ignored));
}

} // namespace rghost
