#include "Progress.h"

#include <cmath>
#include <sstream>

namespace vantor {

Progress::Progress(std::ostream& out, int total, bool terminal, double startSeconds)
    : out(out), total(total), terminal(terminal), startSeconds(startSeconds), lastWrite(startSeconds) {}

std::string Progress::line(int done, int total, double elapsedSeconds) {
    std::ostringstream text;
    text << done << "/" << total << " frames  " << (total > 0 ? 100 * done / total : 100) << "%";
    if (done > 0 && elapsedSeconds > 0) {
        const double fps = done / elapsedSeconds;
        text.setf(std::ios::fixed);
        text.precision(fps < 10 ? 2 : 1);
        text << "  " << fps << " fps  " << static_cast<long>(std::ceil((total - done) / fps)) << " s left";
    }
    return text.str();
}

void Progress::update(int done, double nowSeconds) {
    if (nowSeconds - lastWrite < (terminal ? terminalInterval : logInterval) && done < total)
        return;
    if (!terminal && done >= total)
        return; // the final report follows; a log needs no 100 % line before it
    lastWrite = nowSeconds;
    if (terminal) {
        out << "\r" << line(done, total, nowSeconds - startSeconds) << "\033[K" << std::flush;
        wroteInPlace = true;
    } else {
        out << line(done, total, nowSeconds - startSeconds) << std::endl;
    }
}

void Progress::finish() {
    if (wroteInPlace)
        out << "\n" << std::flush;
    wroteInPlace = false;
}

std::string byteSize(unsigned long long bytes) {
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(1);
    if (bytes >= 1000000)
        text << bytes / 1e6 << " MB";
    else if (bytes >= 1000)
        text << bytes / 1e3 << " kB";
    else
        text << bytes << " B";
    return text.str();
}

} // namespace vantor
