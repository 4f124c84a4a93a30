#pragma once

#include <QString>
#include <optional>
#include <utility>

// A failure the core reports to its caller: what was being done, to which file or server, and
// why. The caller decides what to do with it (a message box, the status bar, a retry); the core
// never asks the user anything itself.
struct Error {
    QString operation; // a verb phrase: "write", "read", "append to", "copy a.txt to", ...
    QString target;    // the file path, server or setting the operation was aimed at
    QString message;   // the cause, e.g. "Permission denied"
    int line = 0;      // the 1-based line of the file that is to blame; 0 when no one line is
    quint32 code = 0;  // a documented error number, where the failure has one

    // "registrars.txt, line 7: <message>" for a bad line, otherwise
    // "Could not <operation> <target>: <message>".
    QString text() const;
};

// Either a value or the Error that prevented it, like C++23's std::expected. Deliberately not
// convertible to bool: "if (result)" reads as success here and as failure in an
// std::optional<Error>, and a silent mix-up of the two is exactly what this type is for.
template <typename T = void> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_value(std::move(value)) {}
    Result(Error error)
        : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    bool failed() const { return m_error.has_value(); }
    // Only when ok().
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    T valueOr(T fallback) const { return m_value ? *m_value : std::move(fallback); }
    // Only when failed().
    const Error &error() const { return *m_error; }

private:
    std::optional<T> m_value;
    std::optional<Error> m_error;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error)
        : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    bool failed() const { return m_error.has_value(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};
