#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace fm::test {

// Occurrences of the fragment in the text.
inline int countOf(const std::string& text, const std::string& fragment) {
    int count = 0;
    for (std::size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1))
        ++count;
    return count;
}

// What the program logs on stderr while it lives.
class LogCapture {
  public:
    LogCapture() : previous_(std::cerr.rdbuf(captured_.rdbuf())) {}
    ~LogCapture() { std::cerr.rdbuf(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return captured_.str(); }
    bool contains(const std::string& fragment) const { return text().find(fragment) != std::string::npos; }

  private:
    std::ostringstream captured_;
    std::streambuf* previous_;
};

}  // namespace fm::test
