#pragma once
// Variants of one program: the same files built with a set of switches defined, one variant per
// combination. The variant with no switch is the program built at start-up; the others are
// built the first time they are asked for, through the path that never ends the process. A
// variant that cannot be built is reported (ShaderWatcher finds it among the live Shaders) and
// the plain program draws in its place until a change to its files lets it build.

#include "gpu/Shader.h"

#include <memory>
#include <string>
#include <vector>

namespace vantor {

class ShaderVariants {
public:
    // `files` in stage order; `switches` the preprocessor names, switch i is bit i of a variant.
    ShaderVariants(std::vector<std::string> files, std::vector<std::string> switches);

    // Builds the plain program (no switch set) as every start-up program is built: a failure
    // throws StartupFailure. Needs the GL context current.
    void makePlain();
    // The program for `variant` (0 is the plain one): built on first use, the plain one while it
    // has not built.
    Shader* get(unsigned variant);
    Shader* plain() const { return plainProgram.get(); }
    // The plain program and every variant built so far.
    void collect(std::vector<Shader*>& out) const;
    // "#define NAME" lines for the switches set in `variant`.
    std::string defines(unsigned variant) const;

private:
    std::vector<std::string> files;
    std::vector<std::string> switches;
    std::unique_ptr<Shader> plainProgram;
    std::vector<std::unique_ptr<Shader>> built; // index variant - 1
};

} // namespace vantor
