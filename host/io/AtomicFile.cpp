#include "io/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace rghost {

namespace {

[[noreturn]] void failWriting(const std::string& path, int error)
{
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(error));
}

// A new file next to `target`, opened exclusively so that two writers never share one.
int createTemporarySibling(const std::filesystem::path& target, std::string& temporaryPath)
{
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (;;) {
        temporaryPath = (directory / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-"
                                      + std::to_string(counter++)))
                            .string();
        // 0666 lets the umask decide, as for any file the user creates.
        const int descriptor = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
}

bool writeAll(int descriptor, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(descriptor, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

void writeFileAtomically(const std::string& path, std::string_view contents)
{
    std::string temporaryPath;
    const int descriptor = createTemporarySibling(path, temporaryPath);
    if (descriptor < 0) {
        failWriting(path, errno);
    }
    int error = writeAll(descriptor, contents) ? 0 : errno;
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && std::rename(temporaryPath.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporaryPath.c_str());
        failWriting(path, error);
    }
}

} // namespace rghost
