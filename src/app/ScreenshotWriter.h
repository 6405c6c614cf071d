#pragma once
// Screenshots saved off the frame loop. The frame thread only reads the window back; one worker
// thread encodes each picture as PNG and writes it under the first free name, claimed so that
// no existing file (from this demo or another in the same folder) is ever opened for writing.
// A file is reported saved only once every byte is written and the file closed; a failure
// removes whatever was written. The reports are printed on the frame thread (`printReports`),
// so they never break into a line the frame is printing.

#include "gpu/PictureFile.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor {

// How writing one screenshot file ended.
struct ScreenshotFile {
    bool saved = false;
    std::string path;  // the claimed name, in the folder; empty when no name could be claimed
    std::string error; // why it was not saved (the system's reason included), empty when saved
};

// Writes `bytes` to "screenshot-NNNN.png" in `folder` ("" for the working folder) at the first
// number, from 0001 to 9999, whose name nothing (file, folder, link, dangling or not) has yet:
// the name is claimed by an exclusive create, and a name taken meanwhile moves on to the next.
// Every write and the close are checked and the file is synced; on any failure the claimed
// file is removed again.
ScreenshotFile writeScreenshotFile(const std::string& folder, const std::vector<unsigned char>& bytes);

class ScreenshotWriter {
public:
    // Turns a picture into the file's bytes; false when it cannot. It may throw (out of memory
    // for a large window): that screenshot fails and the worker goes on with the next.
    using Encoder = std::function<bool(const Picture&, std::vector<unsigned char>&)>;

    // Saves into `folder` ("" for the working folder); at most `capacity` pictures wait or are
    // being saved at any moment. `encoder` defaults to a fast PNG encoding.
    explicit ScreenshotWriter(std::string folder = "", size_t capacity = 8, Encoder encoder = {});
    // Finishes the pending screenshots (see `finish`).
    ~ScreenshotWriter();
    ScreenshotWriter(const ScreenshotWriter&) = delete;
    ScreenshotWriter& operator=(const ScreenshotWriter&) = delete;

    // `presses` screenshots of the window's back buffer (`width` x `height`), read once and
    // handed to the worker; each press past `capacity` pending is reported as skipped. Call on
    // the thread whose GL context shows the window.
    void take(int width, int height, int presses = 1);
    // Queues `picture` for saving; false (and a skip reported) when the queue is full.
    bool submit(Picture picture);

    // Prints what finished since the last call: "Screenshot saved: PATH" on `out`, one line per
    // failure or skipped press on `err`.
    void printReports(std::ostream& out, std::ostream& err);
    // Waits until every pending screenshot is saved or has failed, ends the worker and prints
    // the last reports. Safe to repeat; nothing is taken after it.
    void finish(std::ostream& out, std::ostream& err);
    void finish(); // onto standard output and error

private:
    struct Report {
        bool ok;
        std::string line;
    };

    void work();
    Report save(const Picture& picture) const;
    std::string skipped() const;

    const std::string folder;
    const size_t capacity;
    const Encoder encode;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Picture> queue;
    size_t inProgress = 0;
    bool stopping = false;
    std::vector<Report> reports;
    std::thread worker;
};

} // namespace vantor
