"""Bakes of many rig files, spread over processes or a Dask cluster."""

import concurrent.futures
import os
import pathlib

import _lidshaper


def _bake_job(job):
    return _lidshaper.bake_rig(**job)


def _stem(rig_path):
    name = pathlib.Path(rig_path).name
    for suffix in (".rig.json", ".json"):
        if name.endswith(suffix):
            return name[: -len(suffix)]
    return name


def _frame_pair(frames):
    if frames is None or isinstance(frames, tuple):
        return frames
    if isinstance(frames, range) and frames.step == 1 and len(frames) > 0:
        return (frames.start, frames.stop - 1)
    raise ValueError("frames: expected None, (first, last) or a non-empty range with step 1, got %r" % (frames,))


class BakeError(RuntimeError):
    """Some bakes of a `bake` call failed; `summaries` holds one dict per bake, in order: the
    summary of each finished bake, and for each failed one its rig, frames and error."""

    def __init__(self, message, summaries):
        super().__init__(message)
        self.summaries = summaries


def _read_rigs(rig_paths):
    """Every rig read before any bake starts, so a broken file costs no bake time; all the
    unreadable ones named at once."""
    rigs, problems = {}, []
    for rig_path in rig_paths:
        try:
            rigs[rig_path] = _lidshaper.read_rig(rig_path)
        except (OSError, ValueError) as error:
            problems.append(error)
    if len(problems) == 1:
        raise problems[0]
    if problems:
        raise ValueError("%d rig files cannot be read: %s" % (len(problems), "; ".join(map(str, problems))))
    return rigs


def _chunks(rig, frames, chunk_frames):
    """(first, last) scene frames of each chunk of the frames to bake."""
    if chunk_frames is None:
        return [frames]
    first, last = frames or (rig.start_frame, rig.start_frame + rig.frame_count - 1)
    return [(start, min(start + chunk_frames - 1, last)) for start in range(first, last + 1, chunk_frames)]


def bake_jobs(rig_paths, out_dir, frames=None, preroll=None, chunk_frames=None, point_cache=False,
              rest_mesh=False, obj=False, plugin_path=None):
    """The bakes `bake` runs, one keyword dict for `_lidshaper.bake_rig` each. Reads every rig
    first: an unreadable one raises as `read_rig` does (several: one ValueError naming each)."""
    out_dir = pathlib.Path(out_dir)
    frames = _frame_pair(frames)
    if chunk_frames is not None and chunk_frames < 1:
        raise ValueError("chunk_frames: expected at least 1, got %r" % (chunk_frames,))
    rig_paths = list(map(str, rig_paths))
    jobs, stems = [], {}
    for rig_path in rig_paths:
        stem = _stem(rig_path)
        if stems.setdefault(stem, rig_path) != rig_path:
            raise ValueError("rig_paths: %s and %s would write the same outputs (%s.*)" % (stems[stem], rig_path, stem))
    rigs = _read_rigs(rig_paths)
    for rig_path in rig_paths:
        stem = _stem(rig_path)
        chunks = _chunks(rigs[rig_path], frames, chunk_frames)
        for chunk in chunks:
            name = stem if chunk_frames is None else "%s.%d-%d" % (stem, chunk[0], chunk[1])
            jobs.append(dict(
                rig_path=rig_path,
                result_file=str(out_dir / (name + ".result.json")),
                point_cache=str(out_dir / (name + ".pc2")) if point_cache else "",
                rest_mesh=str(out_dir / (stem + ".rest.obj")) if rest_mesh and chunk is chunks[0] else "",
                obj_directory=str(out_dir / (stem + ".obj")) if obj else "",
                frames=chunk,
                preroll=preroll,
                plugin_path=plugin_path,
            ))
    return jobs


def _outcome(job, future):
    """The bake's summary, or for a bake that raised its rig, frames and error."""
    try:
        return future.result()
    except Exception as error:  # a worker's failure of any kind is reported with the others
        return dict(rig=job["rig_path"], frames=job["frames"], error="%s: %s" % (type(error).__name__, error))


def bake(rig_paths, out_dir, executor=None, **options):
    """Bakes each rig file as `rghost deform` does, into out_dir, and returns one summary dict per bake.

    One bake per rig, or with chunk_frames=K one per K frames of each rig (each chunk replays
    `preroll` earlier frames first; the default, every earlier frame, gives exactly the points of a
    whole bake). Outputs, per rig stem S (the file name without .rig.json): S.result.json (S.A-B.
    result.json per chunk), and on request S.pc2 (point_cache=True), S.rest.obj (rest_mesh=True),
    S.obj/ (obj=True). frames=(first, last) or a range records only those scene frames.

    Every rig is read before any bake starts: an unreadable one raises at once, naming it. When a
    bake fails, the others still run, and BakeError is raised at the end with every summary.

    executor: None runs the bakes on a pool of processes, one per core; otherwise anything with
    submit(fn, arg) returning futures with result(): a concurrent.futures executor or a
    dask.distributed Client (docs/python.md: running on a cluster). Every worker must be able to
    import lidshaper and to read the rig files and write out_dir under the same paths.
    """
    jobs = bake_jobs(rig_paths, out_dir, **options)
    os.makedirs(out_dir, exist_ok=True)
    if executor is not None:
        summaries = [_outcome(job, future) for job, future in [(job, executor.submit(_bake_job, job)) for job in jobs]]
    else:
        # Spawned, not forked: the parent may already run the task library's threads.
        # multiprocessing is imported only here: importing it with the package makes Blender 3.4
        # crash on quitting after a script that imported lidshaper.
        import multiprocessing

        workers = max(1, min(len(jobs), os.cpu_count() or 1))
        with concurrent.futures.ProcessPoolExecutor(workers, mp_context=multiprocessing.get_context("spawn")) as pool:
            futures = [pool.submit(_bake_job, job) for job in jobs]
            summaries = [_outcome(job, future) for job, future in zip(jobs, futures)]
    failed = [summary for summary in summaries if "error" in summary]
    if failed:
        raise BakeError("%d of %d bakes failed (the others finished; BakeError.summaries holds every summary): %s"
                        % (len(failed), len(summaries),
                           "; ".join("%s frames %s: %s" % (s["rig"], s["frames"] or "all", s["error"]) for s in failed)),
                        summaries)
    return summaries
