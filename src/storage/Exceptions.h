#pragma once

#include <stdexcept>
#include <string>

namespace tavik {

// Every failure of the program is one of these: an exception carrying the text
// the general error report shows.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A stream or file ended early or held bytes of the wrong shape.
class EReadError : public Exception {
    using Exception::Exception;
};

// A stream or file refused bytes.
class EWriteError : public Exception {
    using Exception::Exception;
};

// An index outside a list ("List index out of bounds").
class EListError : public Exception {
    using Exception::Exception;
};

// The compressor's hash table could not be allocated.
class ElzrwCompressor : public Exception {
    using Exception::Exception;
};

// A file could not be opened ("Cannot open file %s").
class EFOpenError : public Exception {
    using Exception::Exception;
};

// A file could not be created ("Cannot create file %s").
class EFCreateError : public Exception {
    using Exception::Exception;
};

// A picture stream or record that does not hold a picture of its kind.
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

// The settings file could not be written ("Unable to write to %s").
class EIniFileError : public Exception {
    using Exception::Exception;
};

} // namespace tavik
