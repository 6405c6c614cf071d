#pragma once
// One video file being written by the ffmpeg program, fed raw RGB frames through a pipe. The
// file is written under a temporary name in the same folder and renamed into place only when
// the encoder has finished it, so a failure or an interruption never leaves a partial video
// under the name asked for. Every failure comes back as one reason, for "cannot write FILE:
// REASON".

#include "Video.h"
#include "platform/Process.h"

#include <string>
#include <vector>

namespace vantor {

class VideoWriter {
public:
    VideoWriter() = default;
    ~VideoWriter(); // abandons a video not finished, however the caller leaves
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Clears what killed runs left for the same file, makes the temporary file (which proves the
    // folder writable) and starts the encoder.
    bool open(const std::string& path, const VideoFormat& format, int width, int height, int fps,
              std::string& reason);
    // One packed frame (packFrame). False when the encoder has stopped taking frames.
    bool write(const std::vector<unsigned char>& rgb, std::string& reason);
    // Ends the stream, waits for the encoder and renames the file into place; its size in bytes
    // into `bytes`.
    bool finish(unsigned long long& bytes, std::string& reason);
    // Stops the encoder at once (what it was given but has not encoded is dropped) and removes
    // the temporary file.
    void abandon();

    // Ctrl+C or a termination request came: the caller stops and abandons the video. (Catching
    // them is what lets the temporary file be removed.)
    static bool interrupted();

private:
    // Waits for the encoder; empty when it ended well, else why not.
    std::string waitForEncoder();

    std::string path, temporaryPath;
    bool active = false;
    ChildProcess encoder;
};

// The temporary name a video at `path` is written under by process `pid`: ".NAME.PID.part" in
// the same folder, so the final rename stays on one file system.
std::string temporaryVideoName(const std::string& path, long pid);
// Removes the temporary files of videos at `path` whose writing process is no longer running (a
// run killed before it could clean up); returns how many.
int removeAbandonedVideos(const std::string& path);

} // namespace vantor
