#pragma once

#include <stdexcept>
#include <string>

namespace korvex {

// Base of every exception the file, catalogue and support layers raise. The
// message is the system's own text; the faces show it as it stands.
class EKorvex : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file could not be opened, read or written. The message says what went
// wrong ("no such file"); Path() names the file so a face can say which.
class EInOutError : public EKorvex {
public:
    EInOutError(const std::string& message, std::string path)
        : EKorvex(message), path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A text that should be a number is not: "'abc' is not a valid integer value".
class EConvertError : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// An INI file could not be written: "Unable to write to <path>".
class EIniFileException : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// A malformed Intel HEX or binary image file. The message already carries the
// file and line in the usual "file:line: what" form.
class EImageFileError : public EKorvex {
public:
    using EKorvex::EKorvex;
};

// One line for a face to show: the message, prefixed by the file when the
// error concerns one and the message does not already name it.
std::string DescribeError(const std::exception& error);

// The message with each of its line breaks (CR LF, or a run of them) made one
// blank: a program's failure is one line on stderr, even when a catalogue
// message spans several.
std::string OneLine(std::string message);

} // namespace korvex
