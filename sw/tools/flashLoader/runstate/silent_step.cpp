#include "sw/tools/flashLoader/runstate/silent_step.h"

#include <atomic>
#include <thread>

#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

class HeldOutput : public ToolOutput {
 public:
  explicit HeldOutput(ToolOutput* next) : next_(next), holder_(std::this_thread::get_id()) {}

  void write(OutputStream stream, std::string_view text) override {
    if (std::this_thread::get_id() == holder_) spoke_.store(true);
    else next_->write(stream, text);
  }
  void flush(OutputStream stream) override {
    if (std::this_thread::get_id() != holder_) next_->flush(stream);
  }

  bool spoke() const { return spoke_.load(); }

 private:
  ToolOutput* next_;
  std::thread::id holder_;
  std::atomic<bool> spoke_{false};
};

}  // namespace

bool ran_silently(const std::function<void()>& work) {
  HeldOutput held(&tool_output());
  ToolOutput* previous = set_tool_output(&held);
  work();
  set_tool_output(previous);
  return !held.spoke();
}
