#include "Video.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace vantor {

namespace {

// H.264 and VP9 as every browser plays them (4:2:0, BT.709 tagged so players convert the colours
// back as they were). The GIF's palette is made from the whole clip first, or a fixed palette
// bands the dark hall. WebP and GIF loop forever.
const VideoFormat formats[] = {
    {".mp4", "mp4", true,
     "-c:v libx264 -preset medium -crf 18 -vf scale=out_color_matrix=bt709,format=yuv420p "
     "-colorspace bt709 -color_primaries bt709 -color_trc bt709 -movflags +faststart",
     65535},
    {".webm", "webm", true,
     "-c:v libvpx-vp9 -crf 32 -b:v 0 -deadline good -cpu-used 4 -row-mt 1 -vf "
     "scale=out_color_matrix=bt709,format=yuv420p "
     "-colorspace bt709 -color_primaries bt709 -color_trc bt709",
     65535},
    {".webp", "webp", false, "-c:v libwebp_anim -quality 70 -compression_level 6 -loop 0", 16383},
    {".gif", "gif", false,
     "-filter_complex split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=sierra2_4a "
     "-loop 0",
     65535},
};

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

} // namespace

const VideoFormat* videoFormatFor(const std::string& path) {
    const std::string extension = lowerExtension(path);
    for (const VideoFormat& format : formats)
        if (extension == format.extension)
            return &format;
    return nullptr;
}

std::string videoExtensions() {
    return ".mp4, .webm, .webp or .gif";
}

int encodedSide(const VideoFormat& format, int side) {
    return format.evenSize ? side + (side & 1) : side;
}

std::vector<std::string> encoderCommand(const VideoFormat& format, int width, int height, int fps,
                                        const std::string& outputPath) {
    std::vector<std::string> args = {
        "ffmpeg",
        "-hide_banner",
        "-loglevel",
        "error",
        "-f",
        "rawvideo",
        "-pix_fmt",
        "rgb24",
        "-s",
        std::to_string(encodedSide(format, width)) + "x" + std::to_string(encodedSide(format, height)),
        "-framerate",
        std::to_string(fps),
        "-i",
        "pipe:0"};
    std::istringstream rest(format.encoderArgs);
    for (std::string word; rest >> word;)
        args.push_back(word);
    args.insert(args.end(), {"-f", format.muxer, "-y", outputPath});
    return args;
}

void packFrame(const unsigned char* rgbaBottomUp, int width, int height, const VideoFormat& format,
               std::vector<unsigned char>& rgb) {
    const int outWidth = encodedSide(format, width), outHeight = encodedSide(format, height);
    rgb.resize(static_cast<size_t>(outWidth) * outHeight * 3);
    unsigned char* out = rgb.data();
    for (int y = 0; y < outHeight; ++y) {
        const unsigned char* row =
            rgbaBottomUp + static_cast<size_t>(height - 1 - std::min(y, height - 1)) * width * 4;
        for (int x = 0; x < width; ++x, out += 3)
            std::copy_n(row + 4 * x, 3, out);
        for (int x = width; x < outWidth; ++x, out += 3)
            std::copy_n(row + 4 * (width - 1), 3, out);
    }
}

std::string encoderFailure(int exitStatus, int signal, const std::string& errorOutput) {
    std::istringstream lines(errorOutput);
    std::string last;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && !std::isspace(static_cast<unsigned char>(line[0])))
            last = line; // indented lines are ffmpeg's "Last message repeated" notes
    if (signal == 0 && exitStatus == 0 && last.empty())
        return "";
    const std::string how =
        signal != 0 ? "killed by signal " + std::to_string(signal) : "status " + std::to_string(exitStatus);
    if (last.empty())
        return signal != 0 ? "the encoder (ffmpeg) was " + how : "the encoder (ffmpeg) ended with " + how;
    const auto colon = last.rfind(": ");
    return (colon == std::string::npos ? last : last.substr(colon + 2)) + " (from ffmpeg, " + how + ")";
}

} // namespace vantor
