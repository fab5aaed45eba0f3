#pragma once

#include <string>

namespace recmod {

// Where the system shows a message in a modal box with one OK button.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

// Keeps the messages instead of showing them (batch runs, tests, runs of a
// loop that can no longer be refused).
class CollectedMessages final : public MessageSink {
 public:
  void ShowMessage(const std::string& text) override { last = text, ++count; }
  std::string last;
  int count = 0;
};

}  // namespace recmod
