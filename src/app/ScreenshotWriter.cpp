#include "app/ScreenshotWriter.h"

#include "platform/ErrorText.h"
#include "platform/ExclusiveCreate.h"
#include "platform/FileDescriptor.h"
#include "platform/FlushToDisk.h"
#include "platform/FrameLoop.h"
#include "platform/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <stdexcept>

namespace vantor {

namespace {

// A claimed file that could not be written wholly: nothing more to report if it cannot go either.
void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// Every byte of `bytes` into `fd`, however many writes it takes; the system's reason when a
// write fails (a full disk or an exhausted quota shows here, or only at sync or close).
std::string writeAll(int fd, const std::vector<unsigned char>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const auto n = writeDescriptor(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errorText(n < 0 ? errno : EIO);
        done += size_t(n);
    }
    const int synced = flushToDisk(fd);
    return synced == 0 ? std::string() : errorText(synced);
}

} // namespace

ScreenshotFile writeScreenshotFile(const std::string& folder, const std::vector<unsigned char>& bytes) {
    ScreenshotFile result;
    for (int number = 1; number <= 9999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "screenshot-%04d.png", number);
        const std::string path = (std::filesystem::path(folder) / name).string();
        // Exclusive: an existing name, even a dangling link, is never opened, and of two demos
        // racing for one name exactly one gets it.
        const int fd = createExclusive(path);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            result.error = "cannot write " + path + ": " + errorText(errno);
            return result;
        }
        std::string failure;
        try {
            result.path = path;
            failure = writeAll(fd, bytes);
        } catch (...) {
            // Out of memory for a message: the claimed file goes all the same.
            closeDescriptor(fd);
            removeQuietly(path);
            throw;
        }
        if (closeDescriptor(fd) != 0 && failure.empty())
            failure = errorText(errno);
        if (!failure.empty()) {
            removeQuietly(path);
            result.error = "cannot write " + path + ": " + failure;
            return result;
        }
        result.saved = true;
        return result;
    }
    result.error = "screenshot-0001.png to screenshot-9999.png all exist";
    return result;
}

ScreenshotWriter::ScreenshotWriter(std::string folder, size_t capacity, Encoder encoder)
    : folder(std::move(folder)), capacity(std::max<size_t>(1, capacity)),
      encode(encoder ? std::move(encoder)
                     : Encoder([](const Picture& picture, std::vector<unsigned char>& png) {
                           return encodePng(picture, png, true);
                       })),
      worker(threadsAvailable() ? std::thread([this] { work(); }) : std::thread()) {}

ScreenshotWriter::~ScreenshotWriter() {
    finish();
}

void ScreenshotWriter::take(int width, int height, int presses) {
    if (presses <= 0)
        return;
    size_t room = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        // Only this thread adds pictures, so room found here is still there below.
        room = stopping ? 0 : capacity - std::min(capacity, queue.size() + inProgress);
    }
    // Presses in one frame see one picture: it is read back once.
    const int accepted = int(std::min(room, size_t(presses)));
    Picture picture = accepted > 0 ? readWindow(width, height) : Picture{};
    for (int press = 1; press <= presses; ++press) {
        if (press < accepted) {
            submit(picture);
        } else if (press == accepted) {
            submit(std::move(picture));
        } else {
            std::lock_guard<std::mutex> lock(mutex);
            reports.push_back({false, skipped()});
        }
    }
}

bool ScreenshotWriter::submit(Picture picture) {
    if (!worker.joinable() && !stopping) { // no threads here: saved at once
        Report report = save(picture);
        std::lock_guard<std::mutex> lock(mutex);
        reports.push_back(std::move(report));
        return true;
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping || queue.size() + inProgress >= capacity) {
            reports.push_back({false, skipped()});
            return false;
        }
        queue.push_back(std::move(picture));
    }
    wake.notify_one();
    return true;
}

std::string ScreenshotWriter::skipped() const {
    if (stopping)
        return "Screenshot skipped: the screenshot writer has finished";
    return "Screenshot skipped: " + std::to_string(capacity) + " still being saved";
}

void ScreenshotWriter::printReports(std::ostream& out, std::ostream& err) {
    std::vector<Report> done;
    {
        std::lock_guard<std::mutex> lock(mutex);
        done.swap(reports);
    }
    for (const Report& report : done)
        (report.ok ? out : err) << report.line << std::endl;
}

void ScreenshotWriter::finish() {
    finish(std::cout, std::cerr);
}

void ScreenshotWriter::finish(std::ostream& out, std::ostream& err) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
    printReports(out, err);
}

ScreenshotWriter::Report ScreenshotWriter::save(const Picture& picture) const {
    // An exception here would end the whole demo (std::terminate on this thread); it ends only
    // this screenshot, and whatever it had written is gone (writeScreenshotFile sees to that).
    try {
        std::vector<unsigned char> png;
        if (!encode(picture, png))
            return {false, "Screenshot not saved: cannot encode the picture as PNG"};
        const ScreenshotFile file = writeScreenshotFile(folder, png);
        return {file.saved,
                file.saved ? "Screenshot saved: " + file.path : "Screenshot not saved: " + file.error};
    } catch (const std::bad_alloc&) {
        return {false, "Screenshot not saved: out of memory"};
    } catch (const std::exception& e) {
        return {false, std::string("Screenshot not saved: ") + e.what()};
    } catch (...) {
        return {false, "Screenshot not saved: an unknown error"};
    }
}

void ScreenshotWriter::work() {
    // Below the frame's own threads, so encoding takes the time the renderer leaves and does not
    // stretch frames.
    lowerThisThreadPriority();
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !queue.empty(); });
        if (queue.empty())
            return; // stopping, and everything taken is saved
        Picture picture = std::move(queue.front());
        queue.pop_front();
        ++inProgress;
        lock.unlock();

        Report report = save(picture);
        lock.lock();
        --inProgress;
        reports.push_back(std::move(report));
    }
}

} // namespace vantor
