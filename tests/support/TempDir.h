#pragma once

#include <string>

namespace fm::test {

// A fresh directory under the system's temporary directory, removed with its
// contents at the end of the scope.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Path with a trailing separator.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

  private:
    std::string path_;
};

}  // namespace fm::test
