#pragma once

#include <string>

class QSqlError;
class QString;

// The kinds of failure and how the engines' errors read.
namespace fm::sql {

// What a failed call met: a duplicate key, a connection that is gone (or a failure the
// driver could not word), or anything else.
enum class Failure { None, KeyViolation, ConnectionLost, Other };

// Why a call failed: its kind and the engine's text.
struct Error {
    Failure kind = Failure::Other;
    std::string text;
};

// How a call ended: done, or its failure with the engine's text.
struct Outcome {
    Failure failure = Failure::None;
    std::string error;

    explicit operator bool() const { return failure == Failure::None; }
};

Failure firebirdFailure(const QSqlError& error);
Failure mariaDbFailure(const QSqlError& error);
Failure driverFailure(const QSqlError& error);  // by the Qt driver's error type alone
bool isFirebirdMissingTable(const QSqlError& error, const QString& text);
bool isMissingTableByText(const QSqlError& error, const QString& text);

}  // namespace fm::sql
