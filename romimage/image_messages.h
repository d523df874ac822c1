// Where the image reader says what went wrong. The reader reports each
// failure where it happens, as burnkit prints it; the caller decides where
// those texts go: the console for burnkit, a log for tools and provisioning
// that show them in their own words.
//
// The reader's own texts go to standard output; the system-error reports of
// failed seeks and reads (prefix, ": ", reason) go to standard error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace burnkit {

enum class MessageStream { out, err };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void write(MessageStream stream, std::string_view text) = 0;
  void out(std::string_view text) { write(MessageStream::out, text); }
  void err(std::string_view text) { write(MessageStream::err, text); }
};

// Standard output and standard error, flushed after each text so that the
// two streams interleave as they were written.
MessageSink& consoleMessages();

// Keeps every text in order.
class MessageLog : public MessageSink {
 public:
  struct Entry {
    MessageStream stream;
    std::string text;
  };
  void write(MessageStream stream, std::string_view text) override;
  const std::vector<Entry>& entries() const { return entries_; }
  // Everything written, in order, regardless of stream.
  std::string text() const;
  // The texts as separate lines: texts that do not end a line are still
  // shown on a line of their own.
  std::string lines() const;

 private:
  std::vector<Entry> entries_;
};

// printf-style formatting into a string, of any length.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace burnkit
