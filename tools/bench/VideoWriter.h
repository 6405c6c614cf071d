#pragma once
// One video file being written by the ffmpeg program, fed raw RGB frames through a pipe. The
// file is written under a temporary name in the same folder and renamed into place only when
// the encoder has finished it, so a failure or an interruption never leaves a partial video
// under the name asked for. Every failure comes back as one reason, for "cannot write FILE:
// REASON".

#include "Video.h"

#include <string>
#include <vector>

class VideoWriter {
public:
    VideoWriter() = default;
    ~VideoWriter(); // abandons a video not finished
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Makes the temporary file (which proves the folder writable) and starts the encoder.
    bool open(const std::string& path, const VideoFormat& format, int width, int height, int fps,
              std::string& reason);
    // One packed frame (packFrame). False when the encoder has stopped taking frames.
    bool write(const std::vector<unsigned char>& rgb, std::string& reason);
    // Ends the stream, waits for the encoder and renames the file into place; its size in bytes
    // into `bytes`.
    bool finish(unsigned long long& bytes, std::string& reason);
    // Stops the encoder and removes the temporary file.
    void abandon();

    // Ctrl+C or a termination request came: the caller stops and abandons the video. (Catching
    // them is what lets the temporary file be removed.)
    static bool interrupted();

private:
    // Waits for the encoder; empty when it ended well, else why not.
    std::string waitForEncoder();

    std::string path, temporaryPath;
    bool active = false;
#ifdef _WIN32
    void* pipe = nullptr; // FILE* from _popen
#else
    int pid = -1;
    int pipeFd = -1;
    int errorFd = -1; // the encoder's standard error, kept in an unlinked temporary file
#endif
};
