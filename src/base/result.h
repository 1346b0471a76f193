#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace kinfolio {

// Why an operation failed. `return Failure{reason};` gives any Result whose
// error type can be made from `reason`.
template <typename E>
struct Failure
{
    E reason;
};
template <typename E>
Failure(E) -> Failure<E>;

// What an operation that can fail gives back: its value, or why it failed.
// Every such operation in the programs returns one. The error is a text to
// set beside the name of the thing it concerns ("No space left on device")
// unless the operation says otherwise.
//
//     const Result<QByteArray> read = readRegularFile(path);
//     if (!read)
//         return Failure{path + QStringLiteral(": ") + read.error()};
//     use(*read);
//
// A question that only refuses ("may I write there?") returns instead
// std::optional of its reason: empty when it may.
template <typename T = void, typename E = QString>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    template <typename F>
    Result(Failure<F> failure) : m_error(std::move(failure.reason))
    {
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    // The value; only when ok().
    const T &operator*() const & { return Q_ASSERT(ok()), *m_value; }
    T &operator*() & { return Q_ASSERT(ok()), *m_value; }
    T &&operator*() && { return Q_ASSERT(ok()), std::move(*m_value); }
    const T *operator->() const { return &**this; }
    T *operator->() { return &**this; }

    // Why it failed; only when not ok().
    const E &error() const { return m_error; }

private:
    std::optional<T> m_value;
    E m_error{};
};

// The same for an operation that gives nothing back but its success:
// `return {};` when done.
template <typename E>
class [[nodiscard]] Result<void, E>
{
public:
    Result() = default;
    template <typename F>
    Result(Failure<F> failure) : m_failed(true), m_error(std::move(failure.reason))
    {
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const E &error() const { return m_error; }

private:
    bool m_failed = false;
    E m_error{};
};

} // namespace kinfolio
