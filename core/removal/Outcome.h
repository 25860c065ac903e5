#pragma once

#include <iosfwd>
#include <string>
#include <utility>

namespace brisklet {

// What became of a system action: it failed (with a message fit to show), it was done, or the
// user cancelled it. The message exists only for `failed`, so two outcomes are equal exactly when
// they are the same case and, for `failed`, say the same thing.
class Outcome {
public:
    enum class Kind { failed, done, cancelled };

    static Outcome failed(std::string message) { return Outcome(Kind::failed, std::move(message)); }
    static Outcome done() { return Outcome(Kind::done, {}); }
    static Outcome cancelled() { return Outcome(Kind::cancelled, {}); }

    Kind kind() const { return m_kind; }
    bool isFailed() const { return m_kind == Kind::failed; }
    bool isDone() const { return m_kind == Kind::done; }
    bool isCancelled() const { return m_kind == Kind::cancelled; }
    // Empty unless failed (and possibly empty then too).
    const std::string& message() const { return m_message; }

    bool operator==(const Outcome&) const = default;

private:
    Outcome(Kind kind, std::string message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind;
    std::string m_message;
};

// For diagnostics and test failures: "done", "cancelled" or "failed(\"…\")".
std::ostream& operator<<(std::ostream& out, const Outcome& outcome);

} // namespace brisklet
