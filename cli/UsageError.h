#pragma once
// A command line that asks for something the report cannot give (a page it
// does not have, several pages as one PNG on standard output): the command
// prints the message after its name and exits with the usage status.
#include <stdexcept>
#include <string>

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};
