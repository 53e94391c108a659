#include "bake/Bake.h"

#include <chrono>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "io/AtomicFile.h"
#include "io/ObjFile.h"
#include "io/PointCacheFile.h"
#include "io/ResultWriter.h"

namespace rghost {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Outputs that would replace the rig or one another.
void refuseClashes(const BakeOutputs& outputs)
{
    const std::string* const files[] = {&outputs.resultFile, &outputs.pointCache, &outputs.restMesh};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const std::string& file = *files[i];
        if (file.empty() || file == "-") {
            continue;
        }
        if (!outputs.rigFile.empty() && writingReplaces(file, outputs.rigFile)) {
            throw std::invalid_argument("cannot write " + file + ": it is the rig file being baked");
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (writingReplaces(file, *files[j])) {
                throw std::invalid_argument("cannot write " + file + " twice: it is given for two outputs");
            }
        }
    }
}

// `directory`, created with its missing parents; returns the outermost one it
// created (empty when it existed), which removing takes everything away again.
fs::path makeDirectory(const fs::path& directory)
{
    std::error_code error;
    if (fs::is_directory(directory, error)) {
        return {};
    }
    if (fs::exists(directory, error)) {
        throw std::invalid_argument("cannot write into " + directory.string() + ": it is not a directory");
    }
    fs::path outermost = directory;
    while (outermost.has_parent_path() && !fs::exists(outermost.parent_path(), error)) {
        outermost = outermost.parent_path();
    }
    if (!fs::create_directories(directory, error) && error) {
        throw std::runtime_error("cannot create " + directory.string() + ": " + error.message());
    }
    return outermost;
}

// The files of one bake, open from before the first frame until they are
// committed together after the last.
class BakeFiles {
public:
    BakeFiles(const Rig& rig, const FramePlan& plan, const BakeOutputs& outputs)
        : rig_(rig), digits_(frameNumberDigits(sceneFrame(rig, plan.firstRecorded), sceneFrame(rig, plan.last)))
    {
        refuseClashes(outputs);
        if (!outputs.resultFile.empty()) {
            result_.emplace(outputs.resultFile, rig.nodeName);
        }
        if (!outputs.pointCache.empty()) {
            pointCache_.emplace(outputs.pointCache);
            pointCache_->write(formatPointCacheHeader(rig.geometry.points.size(),
                                                      static_cast<double>(sceneFrame(rig, plan.firstRecorded)),
                                                      plan.last - plan.firstRecorded + 1));
        }
        if (!outputs.restMesh.empty()) {
            restMesh_.emplace(outputs.restMesh);
            restMesh_->write(formatObj(rig.geometry.points, rig.faces));
            restMesh_->close();
        }
        if (!outputs.objDirectory.empty()) {
            objDirectory_ = outputs.objDirectory;
            createdDirectory_ = makeDirectory(objDirectory_);
        }
    }

    ~BakeFiles()
    {
        // The temporary files remove themselves; a directory made for them goes too.
        if (!committed_ && !createdDirectory_.empty()) {
            std::error_code ignored;
            fs::remove_all(createdDirectory_, ignored);
        }
    }

    BakeFiles(const BakeFiles&) = delete;
    BakeFiles& operator=(const BakeFiles&) = delete;

    void write(const FrameResult& frame)
    {
        if (result_) {
            result_->frame(frame);
        }
        if (pointCache_) {
            buffer_.clear();
            appendPointCacheFrame(buffer_, frame.points);
            pointCache_->write(buffer_);
        }
        if (!objDirectory_.empty()) {
            AtomicFile& mesh = objFiles_.emplace_back((objDirectory_ / objFileName(frame.frame, digits_)).string());
            mesh.write(formatObj(frame.points, rig_.faces));
            mesh.close();
        }
    }

    std::vector<std::string> commit()
    {
        std::vector<std::string> paths;
        if (result_) {
            result_->close();
            paths.push_back(result_->path());
        }
        for (std::optional<AtomicFile>* file : {&pointCache_, &restMesh_}) {
            if (*file) {
                (*file)->commit();
                paths.push_back((*file)->path());
            }
        }
        for (AtomicFile& mesh : objFiles_) {
            mesh.commit();
            paths.push_back(mesh.path());
        }
        committed_ = true;
        return paths;
    }

private:
    const Rig& rig_;
    const int digits_;
    std::optional<ResultWriter> result_;
    std::optional<AtomicFile> pointCache_;
    std::optional<AtomicFile> restMesh_;
    fs::path objDirectory_;
    fs::path createdDirectory_;
    std::vector<AtomicFile> objFiles_;
    std::string buffer_;
    bool committed_ = false;
};

} // namespace

BakeSummary bakeRig(RgNode& node, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs)
{
    const FramePlan plan = planFrames(rig, options.frames, options.preroll);
    BakeSummary summary;
    Clock::time_point start = Clock::now();
    BakeFiles files(rig, plan, outputs);
    summary.outputSeconds += secondsSince(start);

    const std::size_t toPlay = plan.last - plan.firstPlayed + 1;
    std::size_t played = 0;
    playRig(node, rig, plan, [&](FrameResult& result, bool recorded) {
        summary.deformSeconds += result.seconds;
        if (recorded) {
            start = Clock::now();
            files.write(result);
            summary.outputSeconds += secondsSince(start);
            ++summary.frames;
            summary.failedFrames += result.status == RgStatus::Success ? 0 : 1;
            if (options.onFrame) {
                options.onFrame(result);
            }
        }
        if (options.onProgress) {
            options.onProgress(++played, toPlay);
        }
    });

    start = Clock::now();
    summary.files = files.commit();
    summary.outputSeconds += secondsSince(start);
    return summary;
}

BakeSummary bakeRig(const Plugin& plugin, const Rig& rig, const BakeOptions& options, const BakeOutputs& outputs)
{
    NodePointer node = plugin.createNode();
    return bakeRig(*node, rig, options, outputs);
}

} // namespace rghost
