#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

#include <mutex>

#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// Installed while either stream is kept; the console control handler may
// write from its own thread meanwhile.
class KeptOutput : public ToolOutput {
 public:
  void write(OutputStream stream, std::string_view text) override {
    std::lock_guard<std::mutex> hold(mutex_);
    if (keeping(stream)) {
      (stream == OutputStream::out ? out_ : err_).append(text);
    } else {
      console_->write(stream, text);
    }
  }
  void flush(OutputStream stream) override {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!keeping(stream)) console_->flush(stream);
  }

  void start(OutputStream stream) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!keepOut_ && !keepErr_) {
      ToolOutput* previous = set_tool_output(this);
      if (previous != this) console_ = previous;
    }
    (stream == OutputStream::out ? keepOut_ : keepErr_) = true;
    (stream == OutputStream::out ? out_ : err_).clear();
  }
  std::string stop(OutputStream stream) {
    std::lock_guard<std::mutex> hold(mutex_);
    (stream == OutputStream::out ? keepOut_ : keepErr_) = false;
    std::string kept;
    kept.swap(stream == OutputStream::out ? out_ : err_);
    if (!keepOut_ && !keepErr_) set_tool_output(console_);
    return kept;
  }

 private:
  bool keeping(OutputStream stream) const { return stream == OutputStream::out ? keepOut_ : keepErr_; }

  std::mutex mutex_;
  ToolOutput* console_ = &tool_output();
  bool keepOut_ = false;
  bool keepErr_ = false;
  std::string out_;
  std::string err_;
};

KeptOutput& kept() {
  static KeptOutput output;
  return output;
}

}  // namespace

void capture_tool_stdout() { kept().start(OutputStream::out); }
void capture_tool_stderr() { kept().start(OutputStream::err); }
std::string captured_tool_stdout() { return kept().stop(OutputStream::out); }
std::string captured_tool_stderr() { return kept().stop(OutputStream::err); }
