#pragma once

#include <memory>
#include <stdexcept>
#include <string>

// The base of the program's own failures. The exception log writes the message of these, and
// only of these, because their texts are meant for people.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
    // The message in UTF-16 when it holds a text of the scripts or the registry, which the
    // system code page of Message() may lack; null for the program's own messages.
    const std::wstring* ExactMessage() const { return FExactMessage.get(); }

protected:
    Exception(const std::string& message, std::wstring exactMessage)
        : std::runtime_error(message), FExactMessage(std::make_shared<const std::wstring>(std::move(exactMessage)))
    {
    }

private:
    // Shared, so that copying the exception, as a throw may, cannot fail.
    std::shared_ptr<const std::wstring> FExactMessage;
};
