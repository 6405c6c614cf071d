#pragma once
// A watcher of the frame's passes. `Game::render` (and the blur inside `PostProcessing`) hand
// each pass to `observedPass`, which tells the observer, if there is one, where the pass
// begins and ends. The benchmark's observer finishes the GL queue and reads the clock at both
// ends, so it times the very sequence the demo runs. With no observer the wrapper is one null
// check per pass.

namespace vantor {

class PassObserver {
public:
    virtual ~PassObserver() = default;
    // `name` is a string literal naming the pass; passEnds gets the same pointer.
    virtual void passBegins(const char* name) = 0;
    virtual void passEnds(const char* name) = 0;
};

// Runs `pass` between the observer's two calls; `observer` may be null.
template <typename Pass> void observedPass(PassObserver* observer, const char* name, Pass&& pass) {
    if (observer)
        observer->passBegins(name);
    pass();
    if (observer)
        observer->passEnds(name);
}

} // namespace vantor
