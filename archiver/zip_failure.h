#pragma once

#include <stdexcept>
#include <string>

namespace corvane::zip {

// A problem that ends the run with an exit code and one line on stderr.
struct Failure : std::runtime_error {
    Failure(int code, const std::string& message) : std::runtime_error(message), code(code) {}
    int code;
};

} // namespace corvane::zip
