#pragma once

#include <stdexcept>
#include <string>

// The base of the program's own failures. The exception log writes the message of these, and
// only of these, because their texts are meant for people.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};
