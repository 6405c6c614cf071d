#include "gpu/ShaderVariants.h"

#include <utility>

namespace vantor {

ShaderVariants::ShaderVariants(std::vector<std::string> files, std::vector<std::string> switches)
    : files(std::move(files)), switches(std::move(switches)),
      built((size_t(1) << this->switches.size()) - 1) {}

std::string ShaderVariants::defines(unsigned variant) const {
    std::string lines;
    for (size_t i = 0; i < switches.size(); ++i)
        if (variant & (1u << i))
            lines += (lines.empty() ? "" : "\n") + ("#define " + switches[i]);
    return lines;
}

void ShaderVariants::makePlain() {
    plainProgram = files.size() == 3 ? std::make_unique<Shader>(files[0], files[1], files[2])
                                     : std::make_unique<Shader>(files[0], files[1]);
}

Shader* ShaderVariants::get(unsigned variant) {
    Shader* const plain = plainProgram.get();
    if (variant == 0 || variant > built.size())
        return plain;
    std::unique_ptr<Shader>& shader = built[variant - 1];
    if (!shader)
        shader = std::make_unique<Shader>(Shader::BuiltLater{}, files, ShaderDefines{defines(variant)});
    return shader->linked() ? shader.get() : plain;
}

void ShaderVariants::collect(std::vector<Shader*>& out) const {
    if (plainProgram)
        out.push_back(plainProgram.get());
    for (const std::unique_ptr<Shader>& variant : built)
        if (variant)
            out.push_back(variant.get());
}

} // namespace vantor
