#pragma once
// What a video file needs, decided without GL or a process: the container and codec the file's
// extension asks for, the ffmpeg command that encodes raw frames from a pipe into it, and the
// frames themselves turned from GL's bottom-up RGBA into the top-down RGB the pipe carries.

#include <string>
#include <vector>

namespace vantor {

struct VideoFormat {
    const char* extension;   // ".mp4", lower case
    const char* muxer;       // ffmpeg's -f
    bool evenSize;           // 4:2:0 chroma: both sides must be even
    const char* encoderArgs; // codec, pixel format and container options, space-separated
    int maxSide;             // the longest side the format holds: WebP stores 14 bits, GIF 16
};

// The format a path's extension (any case) names, or nullptr.
const VideoFormat* videoFormatFor(const std::string& path);
// ".mp4, .webm, .webp or .gif", for messages.
std::string videoExtensions();

// Width or height as the encoder gets it: one more when the format needs even sides and this
// one is odd. The extra column or row repeats the picture's last one.
int encodedSide(const VideoFormat& format, int side);

// The ffmpeg command line (program name first) that reads width x height RGB24 frames at `fps`
// from standard input and writes `format` to `outputPath`, reporting only errors.
std::vector<std::string> encoderCommand(const VideoFormat& format, int width, int height, int fps,
                                        const std::string& outputPath);

// GL's bottom-up RGBA rows into top-down RGB24 rows of encodedSide() width and height, the
// last column and row repeated into the padding.
void packFrame(const unsigned char* rgbaBottomUp, int width, int height, const VideoFormat& format,
               std::vector<unsigned char>& rgb);

// Why an encoder run failed, from how it ended (`signal` non-zero when a signal killed it, else
// its exit status) and what it wrote at the error log level; empty when it succeeded. An error
// message fails the run even with status 0: ffmpeg 5 ends with 0 when the trailer that completes
// the file could not be written (a full disk). The reason is the one the encoder gave last, "No
// space left on device" from "Error writing trailer of x.mp4: No space left on device".
std::string encoderFailure(int exitStatus, int signal, const std::string& errorOutput);

} // namespace vantor
