#pragma once

#include <fstream>
#include <string>

namespace fm::partner {

// The emulator's "paper": every printed line appended to a text file at once.
class Journal {
  public:
    // Throws std::runtime_error when the file cannot be opened for appending.
    explicit Journal(const std::string& path);

    void print(const std::string& line);

  private:
    std::ofstream out_;
};

}  // namespace fm::partner
