#pragma once
/// @file
/// The one error type of the engine: every failure of loading or layout is a
/// CqvEx whose message text is shown to the user exactly as composed.
#include <exception>
#include <string>

#include "quorvane/Export.h"

/// A failure of loading, layout or output, with the message to show the user.
class QUORVANE_API CqvEx : public std::exception {
public:
    /// An error with this message, shown exactly as given.
    explicit CqvEx(std::string message) : m_strMessage(std::move(message)) {}

    /// The message, exactly as composed.
    const std::string& Message() const noexcept { return m_strMessage; }

    /// Callers read Message(); what() returns the same text so that an error that
    /// escapes to std::terminate or a test framework still says what went wrong.
    const char* what() const noexcept override { return m_strMessage.c_str(); }

    /// The message.
    std::string m_strMessage;
};
