#pragma once

#include <string>
#include <string_view>

namespace rghost {

// An output file that readers see either as it was or whole: the bytes go to
// a temporary file in the same directory, which commit() renames over the
// target. A symlink is written through (its target is replaced, the link
// stays). What cannot be replaced is written directly as the bytes come: an
// existing device or pipe, and "-", standard output. Every problem throws
// std::runtime_error naming the path and the reason; a file that is destroyed
// before commit() leaves no temporary file behind. A process killed while
// writing cannot clean up: the next AtomicFile for the same target removes the
// temporary files beside it whose process (on this machine) is gone.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&&) = delete;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& path() const { return path_; }

    void write(std::string_view bytes);

    // Ends writing; the bytes wait under the temporary name until commit(),
    // without holding a descriptor (many files can wait at once).
    void close();

    // close() if still open, then puts the file in place.
    void commit();

private:
    std::string path_;      // as given, for messages
    std::string target_;    // the file that commit() replaces
    std::string temporary_; // empty when written directly
    int descriptor_ = -1;
};

// AtomicFile written with `contents` and committed.
void writeFileAtomically(const std::string& path, std::string_view contents);

// Whether writing `output` would replace the file `file` names (the same file
// under any name). A device or pipe is written to, not replaced, so it may
// take several outputs.
bool writingReplaces(const std::string& output, const std::string& file);

} // namespace rghost
