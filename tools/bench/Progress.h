#pragma once
// A long render's progress on a stream (the bench's standard error): frames done of the total,
// percent, frames per second and the time left. On a terminal one line is rewritten in place a
// few times a second; into a file or pipe a new line is written every few seconds, so logs stay
// short. The caller supplies the clock, which keeps this free of timing in tests.

#include <ostream>
#include <string>

namespace vantor {

class Progress {
public:
    Progress(std::ostream& out, int total, bool terminal, double startSeconds);

    // `done` frames are finished at `nowSeconds`; writes when the last write is old enough.
    void update(int done, double nowSeconds);
    // Ends the in-place line (on a terminal) so the next message starts on a line of its own.
    void finish();

    // "120/180 frames  67%  24.3 fps  2 s left"
    static std::string line(int done, int total, double elapsedSeconds);

    static constexpr double terminalInterval = 0.25; // s between rewrites in place
    static constexpr double logInterval = 5.0;       // s between lines into a file or pipe

private:
    std::ostream& out;
    int total;
    bool terminal;
    double startSeconds;
    double lastWrite;
    bool wroteInPlace = false;
};

// "1.4 MB", "820 kB", "312 B"
std::string byteSize(unsigned long long bytes);

} // namespace vantor
